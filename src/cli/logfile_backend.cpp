#include "cli/logfile_backend.hpp"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <utility>

namespace Logging {

namespace {

// Upper bound on the names tried for one new file, so a directory full of
// old logs can never hold the program in a loop.
constexpr unsigned max_name_attempts = 1000;

std::string replace_counter(const std::string& pattern, unsigned counter) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'N') {
            out += std::to_string(counter);
            ++i;
        } else if (pattern[i] == '%' && i + 1 < pattern.size()) {
            out += pattern.substr(i, 2);  // left for strftime
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::string file_name(const std::string& pattern, unsigned counter, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    const std::string with_counter = replace_counter(pattern, counter);
    char buf[512];
    const std::size_t n = std::strftime(buf, sizeof buf, with_counter.c_str(), &local);
    return n ? std::string(buf, n) : with_counter;
}

}  // namespace

LogFileBackend::LogFileBackend(LogFileSettings settings) : m_settings(std::move(settings)) {}

LogFileBackend::~LogFileBackend() { close_current(); }

std::time_t LogFileBackend::next_rotation_after(std::time_t t) const {
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = m_settings.rotation_hour;
    local.tm_min = m_settings.rotation_minute;
    local.tm_sec = m_settings.rotation_second;
    local.tm_isdst = -1;
    std::time_t point = std::mktime(&local);
    if (point <= t) {
        ++local.tm_mday;
        local.tm_isdst = -1;
        point = std::mktime(&local);
    }
    return point;
}

bool LogFileBackend::open_next() {
    const std::time_t now = m_settings.clock();
    for (unsigned attempt = 0; attempt < max_name_attempts; ++attempt) {
        const std::string path =
            m_settings.directory + "/" + file_name(m_settings.pattern, m_counter++, now);
        std::FILE* f = std::fopen(path.c_str(), m_settings.append ? "a" : "wx");
        if (!f) {
            if (!m_settings.append && errno == EEXIST)
                continue;
            give_up("cannot be created: " + path, errno);
            return false;
        }
        m_file = f;
        m_path = path;
        std::fseek(m_file, 0, SEEK_END);
        const long size = std::ftell(m_file);
        m_written = size > 0 ? static_cast<std::uintmax_t>(size) : 0;
        m_first_in_file = m_written == 0;
        m_rotate_at = next_rotation_after(now);
        return !m_first_in_file || put(m_settings.header);
    }
    give_up("cannot be created: no free name for " + m_settings.pattern, EEXIST);
    return false;
}

void LogFileBackend::close_current() {
    if (!m_file)
        return;
    put(m_settings.footer);
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

bool LogFileBackend::put(const std::string& text) {
    if (text.empty())
        return true;
    if (std::fwrite(text.data(), 1, text.size(), m_file) != text.size() ||
        std::fflush(m_file) != 0) {
        give_up("cannot be written: " + m_path, errno);
        return false;
    }
    m_written += text.size();
    return true;
}

void LogFileBackend::give_up(const std::string& what, int err) {
    std::cerr << "tarvo: warning: log file " << what << " (" << std::strerror(err)
              << "); it receives no further records." << std::endl;
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_path.clear();
    m_broken = true;
}

void LogFileBackend::consume(const boost::log::record_view&, const string_type& formatted) {
    if (m_broken)
        return;
    std::string text = formatted;
    if (text.empty() || text.back() != '\n')
        text += '\n';
    if (m_file) {
        const bool too_big = !m_first_in_file &&
                             m_written + m_settings.separator.size() + text.size() >
                                 m_settings.rotation_size;
        if (too_big || m_settings.clock() >= m_rotate_at)
            close_current();
    }
    if (!m_file && (m_broken || !open_next()))
        return;
    if (!m_first_in_file)
        text.insert(0, m_settings.separator);
    if (put(text))
        m_first_in_file = false;
}

void LogFileBackend::flush() {
    if (m_file)
        std::fflush(m_file);
}

}  // namespace Logging
