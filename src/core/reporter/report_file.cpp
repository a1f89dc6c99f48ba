#include "core/reporter/report_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/reporter/generators.hpp"

namespace tarvo {
namespace core {

namespace {

const char* const kReportDirectory = "report";

// Not blocking on a FIFO, never following a final symbolic link.
constexpr int kOpenFlags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

std::string file_reason(int error) {
    return error == ELOOP ? "it is a symbolic link" : std::strerror(error);
}

[[noreturn]] void fail_at(const std::string& path, const std::string& reason) {
    throw ReportError("Cannot write the report file \"" + path + "\": " + reason);
}

}  // namespace

void ensure_report_directory() {
    namespace fs = std::filesystem;
    const std::string prefix =
        "Cannot create the report directory \"" + std::string(kReportDirectory) + "\": ";
    std::error_code ec;
    fs::create_directory(kReportDirectory, ec);
    auto status = fs::symlink_status(kReportDirectory);
    if (fs::is_symlink(status)) {
        throw ReportError(prefix + "it is a symbolic link");
    }
    if (ec && !fs::is_directory(status)) {
        throw ReportError(prefix + ec.message());
    }
    if (!fs::is_directory(status)) {
        throw ReportError(prefix + "it is not a directory");
    }
}

ReportFile::ReportFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {
    struct stat st {};
    std::string reason;
    if (fstat(m_fd, &st) != 0) {
        reason = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        reason = "it is not a regular file";
    }
    if (!reason.empty()) {
        ::close(std::exchange(m_fd, -1));
        fail(reason);
    }
    m_dev = st.st_dev;
    m_ino = st.st_ino;
}

ReportFile::ReportFile(ReportFile&& other) noexcept { *this = std::move(other); }

ReportFile& ReportFile::operator=(ReportFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
        m_dev = other.m_dev;
        m_ino = other.m_ino;
    }
    return *this;
}

ReportFile::~ReportFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void ReportFile::fail(const std::string& reason) const { fail_at(m_path, reason); }

ReportFile ReportFile::replace(const std::string& path) {
    int fd = ::open(path.c_str(), kOpenFlags | O_CREAT, 0666);
    if (fd < 0) {
        fail_at(path, file_reason(errno));
    }
    ReportFile file(fd, path);  // refuses, and closes, anything but a regular file
    if (ftruncate(file.m_fd, 0) != 0) {
        file.fail(std::strerror(errno));
    }
    return file;
}

ReportFile ReportFile::claim(const std::string& path,
                             const std::function<bool(dev_t, ino_t)>& reuse) {
    int fd = ::open(path.c_str(), kOpenFlags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        return ReportFile(fd, path);
    }
    if (errno != EEXIST) {
        fail_at(path, file_reason(errno));
    }
    fd = ::open(path.c_str(), kOpenFlags);
    if (fd < 0) {
        return {};  // a symbolic link, a FIFO without reader, or not ours to open
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !reuse(st.st_dev, st.st_ino)) {
        ::close(fd);
        return {};
    }
    ReportFile file(fd, path);
    if (ftruncate(file.m_fd, 0) != 0) {
        file.fail(std::strerror(errno));
    }
    return file;
}

void ReportFile::write(const std::string& text) {
    if (m_fd < 0) {
        fail("the file is not open");
    }
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(m_fd, data, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(std::strerror(errno));
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
}

void ReportFile::close() {
    if (m_fd < 0) {
        return;
    }
    int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) {
        fail(std::strerror(errno));
    }
}

}  // namespace core
}  // namespace tarvo
