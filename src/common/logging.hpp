#pragma once

#include <cstdint>
#include <ostream>

#include <boost/log/attributes/current_process_id.hpp>
#include <boost/log/attributes/current_thread_id.hpp>
#include <boost/log/expressions/keyword.hpp>
#include <boost/log/sources/record_ostream.hpp>
#include <boost/log/sources/severity_logger.hpp>
#include <boost/log/utility/formatting_ostream.hpp>
#include <boost/log/utility/manipulators/to_log.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

enum severity_level : uint32_t {
    pass = 0,
    fail = 1,
    info = 2,
    finished = 3,
    start_test = 4,
    warning = 5,
    error = 6,
    debug_1 = 7,
    debug_2 = 8,
    debug_3 = 9,
    debug_4 = 10,
    tracer = 11,
};

// Printed names, indexed by severity value.
constexpr const char* severity_names[] = {
    "PASS", "FAIL", "INFO", "ENDED", "START", "WARN",
    "ERROR", "DEBUG 1", "DEBUG 2", "DEBUG 3", "DEBUG 4", "TRACE",
};
constexpr uint32_t severity_count = sizeof(severity_names) / sizeof(severity_names[0]);

// The name of a severity, or an empty text for a value outside the table.
inline const char* severity_name(uint32_t level) {
    return level < severity_count ? severity_names[level] : "";
}

using Logger_t = boost::log::sources::severity_logger<severity_level>;

BOOST_LOG_ATTRIBUTE_KEYWORD(line_id, "LineID", unsigned int)
BOOST_LOG_ATTRIBUTE_KEYWORD(severity, "Severity", severity_level)
BOOST_LOG_ATTRIBUTE_KEYWORD(a_timestamp, "TimeStamp", boost::posix_time::ptime)
BOOST_LOG_ATTRIBUTE_KEYWORD(process_id, "ProcessID",
                            boost::log::attributes::current_process_id::value_type)
BOOST_LOG_ATTRIBUTE_KEYWORD(thread_id, "ThreadID",
                            boost::log::attributes::current_thread_id::value_type)

// Severity names in formatted records; an unknown value writes nothing.
inline boost::log::formatting_ostream& operator<<(
    boost::log::formatting_ostream& strm,
    const boost::log::to_log_manip<severity_level, tag::severity>& manip) {
    strm << severity_name(manip.get());
    return strm;
}

// Set-up of the process-wide logging core. Only the program calls these; the
// libraries log through their own loggers into whatever sinks it installed.
namespace Logging {

// Line counter, time stamp, process and thread identifiers on every record.
void add_common_attributes();
// A record passes when its severity is at most `verbosity`.
void add_filter(int verbosity);
// A JSON array of records, "file_<date>_<time>.<n>.json" in the working directory.
void start_json_sink();
// One text line per record, "file_<date>_<time>.<n>.log" in the working directory.
void start_logfile_sink();
// Standard output, with or without colours.
void start_console_sink(bool colored);
// The caller's stream, which must outlive the logging.
void start_stream_sink(std::ostream& ss);

}  // namespace Logging
