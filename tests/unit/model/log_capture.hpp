#pragma once

#include <string>
#include <utility>
#include <vector>

#include <boost/log/attributes/value_extraction.hpp>
#include <boost/log/core.hpp>
#include <boost/log/expressions/message.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/smart_ptr/make_shared_object.hpp>

#include "common/logging.hpp"

// Collects every record that reaches the logging core while it lives.
class LogCapture {
public:
    struct Record {
        severity_level level;
        std::string text;
        bool operator==(const Record& o) const { return level == o.level && text == o.text; }
    };

    LogCapture() : m_backend(boost::make_shared<Backend>()) {
        m_sink = boost::make_shared<Sink>(m_backend);
        boost::log::core::get()->add_sink(m_sink);
    }
    ~LogCapture() { boost::log::core::get()->remove_sink(m_sink); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<Record>& records() const { return m_backend->records; }

private:
    struct Backend : boost::log::sinks::basic_sink_backend<boost::log::sinks::synchronized_feeding> {
        void consume(const boost::log::record_view& rec) {
            auto level = boost::log::extract<severity_level>("Severity", rec);
            auto text = boost::log::extract<std::string>("Message", rec);
            records.push_back({level ? *level : tracer, text ? *text : std::string()});
        }
        std::vector<Record> records;
    };
    using Sink = boost::log::sinks::synchronous_sink<Backend>;

    boost::shared_ptr<Backend> m_backend;
    boost::shared_ptr<Sink> m_sink;
};

inline std::ostream& operator<<(std::ostream& os, const LogCapture::Record& r) {
    return os << "[" << static_cast<int>(r.level) << "] \"" << r.text << "\"";
}
