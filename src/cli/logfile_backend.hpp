#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/frontend_requirements.hpp>

namespace Logging {

// How one family of log files is named, rotated and framed.
struct LogFileSettings {
    std::string directory = ".";
    // strftime pattern of the file name, taken at the file's opening; "%N" is
    // the file counter of this sink, from 0.
    std::string pattern;
    // A file is closed and the next one begun before a record would make it
    // larger than this many bytes.
    std::uintmax_t rotation_size = 0x500000;
    // Daily rotation at this local time of day.
    int rotation_hour = 12;
    int rotation_minute = 0;
    int rotation_second = 0;
    // true: an existing file of the same name is continued. false: a name
    // already taken is skipped for the next counter value, so no file of
    // another run is ever overwritten.
    bool append = false;
    std::string header;     // written into a new, empty file before its first record
    std::string footer;     // written when a file is closed
    std::string separator;  // written before every record of a file but its first
    std::function<std::time_t()> clock = [] { return std::time(nullptr); };
};

// A text-file sink backend that frames every file on its own: the header and
// footer close each file into a complete document, and the separator is
// decided per file, so rotation never leaves a file that does not parse.
// A file that cannot be created or written costs one warning line on
// standard error; the backend then drops its records and the program goes on.
class LogFileBackend
    : public boost::log::sinks::basic_formatted_sink_backend<
          char, boost::log::sinks::synchronized_feeding> {
public:
    explicit LogFileBackend(LogFileSettings settings);
    ~LogFileBackend();
    LogFileBackend(const LogFileBackend&) = delete;
    LogFileBackend& operator=(const LogFileBackend&) = delete;

    void consume(const boost::log::record_view& rec, const string_type& formatted);
    void flush();

    // The file being written; empty before the first record and after a failure.
    const std::string& current_path() const { return m_path; }

private:
    bool open_next();
    void close_current();
    bool put(const std::string& text);
    void give_up(const std::string& what, int err);
    std::time_t next_rotation_after(std::time_t t) const;

    LogFileSettings m_settings;
    std::FILE* m_file = nullptr;
    std::string m_path;
    unsigned m_counter = 0;
    std::uintmax_t m_written = 0;
    std::time_t m_rotate_at = 0;
    bool m_first_in_file = true;
    bool m_broken = false;
};

}  // namespace Logging
