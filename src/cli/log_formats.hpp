#pragma once

#include <string>

#include <boost/log/core/record_view.hpp>
#include <boost/log/utility/formatting_ostream.hpp>

#include "cli/logfile_backend.hpp"

// Record formats and file families of the program's log sinks.
namespace Logging {

using boost::log::formatting_ostream;
using boost::log::record_view;

// {"lineID": N, "timestamp": "...", "severity": "...", "message": "..."},
// the message JSON-escaped; the "," between records comes from the file.
void format_json_record(const record_view& rec, formatting_ostream& strm);
// [N] [HH:MM:SS] [SEV] : message
void format_text_record(const record_view& rec, formatting_ostream& strm);
// [HH:MM:SS][SEV]:<tab>message, the name coloured by severity when asked.
void format_console_record(const record_view& rec, formatting_ostream& strm, bool colored);
// [YYYY-mm-dd HH:MM:SS] [SEV] : message
void format_stream_record(const record_view& rec, formatting_ostream& strm);

// The message with quote, backslash and control characters escaped for a
// JSON string.
std::string json_escape(const std::string& text);

LogFileSettings json_file_settings();
LogFileSettings text_file_settings();

// Installs a file sink of the given family and format on the core.
void start_file_sink(LogFileSettings settings,
                     void (*format)(const record_view&, formatting_ostream&));

}  // namespace Logging
