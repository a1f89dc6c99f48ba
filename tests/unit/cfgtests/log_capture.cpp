#include "log_capture.hpp"

#include <mutex>
#include <ostream>

#include <boost/log/attributes/value_extraction.hpp>
#include <boost/log/core.hpp>
#include <boost/log/expressions/message.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/make_shared.hpp>

namespace cfgtests {

namespace sinks = boost::log::sinks;

std::ostream& operator<<(std::ostream& os, const LogRecord& record) {
    return os << "{" << severity_name(record.severity) << ", \"" << record.text << "\"}";
}

struct LogCapture::Backend : sinks::basic_sink_backend<sinks::synchronized_feeding> {
    void consume(const boost::log::record_view& rec) {
        auto level = boost::log::extract<severity_level>("Severity", rec);
        if (!level || *level >= debug_1) return;
        auto text = rec[boost::log::expressions::smessage];
        std::lock_guard<std::mutex> guard(mutex);
        records.push_back({*level, text ? std::string(text.get()) : std::string()});
    }

    mutable std::mutex mutex;
    std::vector<LogRecord> records;
};

struct LogCapture::Sink : sinks::synchronous_sink<LogCapture::Backend> {
    using sinks::synchronous_sink<LogCapture::Backend>::synchronous_sink;
};

LogCapture::LogCapture() : m_backend(boost::make_shared<Backend>()) {
    m_sink = boost::make_shared<Sink>(m_backend);
    boost::log::core::get()->add_sink(m_sink);
}

LogCapture::~LogCapture() { boost::log::core::get()->remove_sink(m_sink); }

std::vector<LogRecord> LogCapture::records() const {
    std::lock_guard<std::mutex> guard(m_backend->mutex);
    return m_backend->records;
}

void LogCapture::clear() {
    std::lock_guard<std::mutex> guard(m_backend->mutex);
    m_backend->records.clear();
}

}  // namespace cfgtests
