#include "common/logging.hpp"

#include <cstdio>
#include <ctime>
#include <iostream>

#include <boost/core/null_deleter.hpp>
#include <boost/date_time/posix_time/conversion.hpp>
#include <boost/log/attributes/value_extraction.hpp>
#include <boost/log/core.hpp>
#include <boost/log/expressions/message.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/log/sinks/text_ostream_backend.hpp>
#include <boost/log/utility/setup/common_attributes.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/smart_ptr/make_shared_object.hpp>

#include "cli/log_formats.hpp"

namespace logging = boost::log;
namespace sinks = boost::log::sinks;

namespace Logging {

namespace {

constexpr const char* reset_colour = "\x1b[0m";

// The record's time stamp in the given strftime form; empty when the record
// has none or the form yields nothing.
std::string stamp(const record_view& rec, const char* form) {
    const auto value = rec[a_timestamp];
    if (!value || value.get().is_special())
        return {};
    const std::tm local = boost::posix_time::to_tm(value.get());
    char buf[128];
    const std::size_t n = std::strftime(buf, sizeof buf, form, &local);
    return std::string(buf, n);
}

const char* severity_text(const record_view& rec) {
    const auto value = rec[severity];
    return value ? severity_name(*value) : "";
}

std::string message(const record_view& rec) {
    const auto value = rec[logging::expressions::smessage];
    return value ? *value : std::string();
}

const char* colour_of(severity_level level) {
    switch (level) {
    case start_test: return "\x1b[33m";
    case pass: return "\x1b[1;37;42m";
    case fail:
    case error: return "\x1b[1;37;41m";
    case warning:
    case finished: return "\x1b[32m";
    default: return "";
    }
}

void add_ostream_sink(std::ostream& os, bool auto_flush,
                      std::function<void(const record_view&, formatting_ostream&)> format) {
    auto backend = boost::make_shared<sinks::text_ostream_backend>();
    backend->add_stream(boost::shared_ptr<std::ostream>(&os, boost::null_deleter()));
    backend->auto_flush(auto_flush);
    auto sink = boost::make_shared<sinks::synchronous_sink<sinks::text_ostream_backend>>(backend);
    sink->set_formatter(std::move(format));
    logging::core::get()->add_sink(sink);
}

}  // namespace

std::string json_escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out;
}

void format_json_record(const record_view& rec, formatting_ostream& strm) {
    strm << "{\"lineID\": " << rec[line_id] << ", \"timestamp\": \""
         << stamp(rec, "%Y-%m-%d %H:%M:%S") << "\", \"severity\": \"" << severity_text(rec)
         << "\", \"message\": \"" << json_escape(message(rec)) << "\"}";
}

void format_text_record(const record_view& rec, formatting_ostream& strm) {
    strm << "[" << rec[line_id] << "] [" << stamp(rec, "%H:%M:%S") << "] ["
         << severity_text(rec) << "] : " << message(rec);
}

void format_console_record(const record_view& rec, formatting_ostream& strm, bool colored) {
    const std::string time = stamp(rec, "%H:%M:%S");
    if (!time.empty())
        strm << "[" << time << "]";
    strm << "[";
    const auto level = rec[severity];
    if (colored && level)
        strm << colour_of(*level);
    strm << severity_text(rec);
    if (colored)
        strm << reset_colour;
    strm << "]:\t" << message(rec);
}

void format_stream_record(const record_view& rec, formatting_ostream& strm) {
    strm << "[" << stamp(rec, "%Y-%m-%d %H:%M:%S") << "] [" << severity_text(rec) << "] : "
         << message(rec);
}

LogFileSettings json_file_settings() {
    LogFileSettings s;
    s.pattern = "file_%Y-%m-%d_%H-%M-%S.%N.json";
    s.header = "[";
    s.footer = "]";
    s.separator = ",";
    return s;
}

LogFileSettings text_file_settings() {
    LogFileSettings s;
    s.pattern = "file_%Y-%m-%d_%H-%M-%S.%N.log";
    s.append = true;
    return s;
}

void start_file_sink(LogFileSettings settings,
                     void (*format)(const record_view&, formatting_ostream&)) {
    auto backend = boost::make_shared<LogFileBackend>(std::move(settings));
    auto sink = boost::make_shared<sinks::synchronous_sink<LogFileBackend>>(backend);
    sink->set_formatter(format);
    logging::core::get()->add_sink(sink);
}

void add_common_attributes() { logging::add_common_attributes(); }

void add_filter(int verbosity) {
    logging::core::get()->set_filter([verbosity](const logging::attribute_value_set& attrs) {
        const auto level = attrs[severity];
        return level && static_cast<long long>(*level) <= verbosity;
    });
}

void start_json_sink() { start_file_sink(json_file_settings(), format_json_record); }

void start_logfile_sink() { start_file_sink(text_file_settings(), format_text_record); }

void start_console_sink(bool colored) {
    add_ostream_sink(std::cout, false, [colored](const record_view& rec, formatting_ostream& strm) {
        format_console_record(rec, strm, colored);
    });
}

void start_stream_sink(std::ostream& ss) { add_ostream_sink(ss, true, format_stream_record); }

}  // namespace Logging
