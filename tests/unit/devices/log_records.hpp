#pragma once

// Collects the records of the process-wide logging core, every severity
// included, while it lives.

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <boost/log/attributes/value_extraction.hpp>
#include <boost/log/core.hpp>
#include <boost/log/expressions/message.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/make_shared.hpp>

#include "common/logging.hpp"

namespace tarvo {
namespace devtest {

using Record = std::pair<severity_level, std::string>;

class LogRecords {
public:
    LogRecords() : m_backend(boost::make_shared<Backend>()) {
        m_sink = boost::make_shared<Sink>(m_backend);
        boost::log::core::get()->add_sink(m_sink);
    }
    ~LogRecords() { boost::log::core::get()->remove_sink(m_sink); }
    LogRecords(const LogRecords&) = delete;
    LogRecords& operator=(const LogRecords&) = delete;

    std::vector<Record> records() const {
        std::lock_guard<std::mutex> guard(m_backend->mutex);
        return m_backend->records;
    }

private:
    struct Backend
        : boost::log::sinks::basic_sink_backend<boost::log::sinks::synchronized_feeding> {
        void consume(const boost::log::record_view& rec) {
            const auto level = boost::log::extract<severity_level>("Severity", rec);
            const auto text = rec[boost::log::expressions::smessage];
            std::lock_guard<std::mutex> guard(mutex);
            records.emplace_back(level ? *level : tracer, text ? text.get() : std::string());
        }
        mutable std::mutex mutex;
        std::vector<Record> records;
    };
    using Sink = boost::log::sinks::synchronous_sink<Backend>;

    boost::shared_ptr<Backend> m_backend;
    boost::shared_ptr<Sink> m_sink;
};

}  // namespace devtest
}  // namespace tarvo
