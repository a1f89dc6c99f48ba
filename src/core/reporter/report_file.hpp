#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace tarvo {
namespace core {

// The directory "report" in the working directory, made with the default
// permissions when absent. Raises ReportError when it cannot be made, or
// when the name is taken by a symbolic link or something other than a
// directory.
void ensure_report_directory();

// A report file open for writing. Files are never opened through a
// symbolic link, and only regular files are written.
class ReportFile {
public:
    ReportFile() = default;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ReportFile(ReportFile&& other) noexcept;
    ReportFile& operator=(ReportFile&& other) noexcept;
    ~ReportFile();

    // Opens path and empties it, creating it when absent. Raises ReportError.
    static ReportFile replace(const std::string& path);

    // Creates path when absent. When it exists as a regular file for which
    // reuse(device, inode) holds, opens and empties it. Otherwise returns a
    // file that is not open: the name is taken by something else. Raises
    // ReportError for any other failure.
    static ReportFile claim(const std::string& path,
                            const std::function<bool(dev_t, ino_t)>& reuse);

    // Writes all of text; raises ReportError.
    void write(const std::string& text);
    // Closes the file; raises ReportError when the close reports an error.
    void close();

    bool is_open() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }
    dev_t device() const { return m_dev; }
    ino_t inode() const { return m_ino; }

private:
    ReportFile(int fd, std::string path);
    [[noreturn]] void fail(const std::string& reason) const;

    int m_fd = -1;
    std::string m_path;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
};

}  // namespace core
}  // namespace tarvo
