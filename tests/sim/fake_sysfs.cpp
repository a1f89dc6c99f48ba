#include "sim/fake_sysfs.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "sim/lspci_dump.hpp"

namespace tarvo {
namespace sim {
namespace {

namespace fs = std::filesystem;

const char* const kPciDevices = "/sys/bus/pci/devices";
const char* const kAcpiTables = "/sys/firmware/acpi/tables";

std::string errno_text(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

void write_file(const std::string& path, const std::vector<uint8_t>& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

bool touch(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    close(fd);
    return true;
}

// Mount points at or below dir, from /proc/self/mountinfo.
bool has_mounts_below(const std::string& dir) {
    std::ifstream info("/proc/self/mountinfo");
    std::string line;
    while (std::getline(info, line)) {
        std::istringstream words(line);
        std::string id, parent, devno, root, point;
        words >> id >> parent >> devno >> root >> point;
        if (point == dir || point.rfind(dir + "/", 0) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool running_in_ci() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && (std::strcmp(ci, "true") == 0 || std::strcmp(ci, "1") == 0);
}

std::string enter_private_mount_namespace() {
    if (unshare(CLONE_NEWNS) != 0) {
        return errno_text("unshare(CLONE_NEWNS)");
    }
    // Nothing mounted from here on may reach the rest of the system.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return errno_text("making / private");
    }
    return {};
}

CommandResult run_command(const std::vector<std::string>& argv, const std::string& cwd,
                          const std::string& input, int timeout_seconds) {
    CommandResult result{-1, {}, {}};
    if (argv.empty()) {
        return result;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);

    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (pipe2(in_pipe, O_CLOEXEC) != 0) {
        return result;
    }
    if (pipe2(out_pipe, O_CLOEXEC) != 0) {
        close(in_pipe[0]);
        close(in_pipe[1]);
        return result;
    }
    if (pipe2(err_pipe, O_CLOEXEC) != 0) {
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1]}) close(fd);
        return result;
    }
    std::cout.flush();
    std::cerr.flush();
    const pid_t pid = fork();
    if (pid < 0) {
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
            close(fd);
        return result;
    }
    if (pid == 0) {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) {
            _exit(126);
        }
        execvp(args[0], args.data());
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[1]);

    // Feed the input and drain both outputs together, so neither side blocks.
    size_t fed = 0;
    int in_fd = in_pipe[1];
    if (input.empty()) {
        close(in_fd);
        in_fd = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    bool timed_out = false;
    int open_outputs = 2;
    int fds[2] = {out_pipe[0], err_pipe[0]};
    std::string* sinks[2] = {&result.out, &result.err};
    while (open_outputs > 0 || in_fd >= 0) {
        pollfd p[3];
        int n = 0;
        for (int i = 0; i < 2; ++i) {
            if (fds[i] >= 0) p[n++] = {fds[i], POLLIN, 0};
        }
        if (in_fd >= 0) p[n++] = {in_fd, POLLOUT, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timed_out = true;
            break;
        }
        if (poll(p, static_cast<nfds_t>(n), static_cast<int>(left.count())) < 0 && errno != EINTR) {
            break;
        }
        for (int k = 0; k < n; ++k) {
            if (p[k].revents == 0) continue;
            if (p[k].fd == in_fd) {
                const ssize_t w = write(in_fd, input.data() + fed, input.size() - fed);
                if (w > 0) fed += static_cast<size_t>(w);
                if (w < 0 || fed == input.size()) {
                    close(in_fd);
                    in_fd = -1;
                }
                continue;
            }
            for (int i = 0; i < 2; ++i) {
                if (p[k].fd != fds[i]) continue;
                char chunk[4096];
                const ssize_t r = read(fds[i], chunk, sizeof(chunk));
                if (r > 0) {
                    sinks[i]->append(chunk, static_cast<size_t>(r));
                } else {
                    close(fds[i]);
                    fds[i] = -1;
                    --open_outputs;
                }
            }
        }
    }
    if (in_fd >= 0) close(in_fd);
    for (int fd : fds) {
        if (fd >= 0) close(fd);
    }
    if (timed_out) {
        kill(pid, SIGKILL);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.status = 128 + WTERMSIG(status);
    }
    return result;
}

FakeSysfs::FakeSysfs() {
    char pattern[] = "/tmp/tarvo-fake-sysfs-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error(errno_text("mkdtemp"));
    }
    m_root = pattern;
    // Open to every user, as sysfs is: tests also read the tree as a user
    // who is not root.
    if (chmod(m_root.c_str(), 0755) != 0) {
        throw std::runtime_error(errno_text("chmod " + m_root));
    }
    fs::create_directories(m_root + "/sys/bus_pci_devices");
    fs::create_directories(m_root + "/acpi");
    set_memory_size(m_memory_size);
}

FakeSysfs::~FakeSysfs() {
    unmount();
    // Never remove a tree that something is still mounted into.
    if (!has_mounts_below(m_root)) {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
}

std::string FakeSysfs::name_of(SBDF sbdf) {
    char name[32];
    std::snprintf(name, sizeof(name), "%04x:%02x:%02x.%x", sbdf.seg(), sbdf.bus(), sbdf.dev(),
                  sbdf.fun());
    return name;
}

void FakeSysfs::add_function(SBDF sbdf, const ConfigSpace& space, std::optional<SBDF> parent) {
    std::string dir;
    if (parent) {
        dir = function_dir(*parent) + "/" + name_of(sbdf);
    } else {
        char bus_dir[32];
        std::snprintf(bus_dir, sizeof(bus_dir), "pci%04x:%02x", sbdf.seg(), sbdf.bus());
        dir = m_root + "/sys/devices/" + bus_dir + "/" + name_of(sbdf);
    }
    place(dir, name_of(sbdf), space);
    m_dirs[sbdf.sbdf()] = dir;
}

void FakeSysfs::add_entry(const std::string& name, const ConfigSpace& space) {
    place(m_root + "/sys/devices/other/" + name, name, space);
}

void FakeSysfs::place(const std::string& dir, const std::string& name, const ConfigSpace& space) {
    fs::create_directories(dir);
    write_file(dir + "/config", space.bytes());
    write_file(dir + "/remove", {});
    write_file(dir + "/rescan", {});
    const std::string link = m_root + "/sys/bus_pci_devices/" + name;
    std::error_code ec;
    fs::remove(link, ec);
    fs::create_directory_symlink(dir, link);
}

void add_qemu_port_and_device(FakeSysfs& fake) {
    const std::string dumps = TARVO_FIXTURE_DIR "/qemu/";
    const SBDF port(0, 0x0c, 0, 0);
    fake.add_function(port, load_lspci_dump(dumps + "config-0000_0c_00_0.txt").at(0).space);
    fake.add_function(SBDF(0, 0x0d, 0, 0),
                      load_lspci_dump(dumps + "config-0000_0d_00_0.txt").at(0).space, port);
}

void FakeSysfs::add_broken_entry(SBDF sbdf) {
    const std::string link = m_root + "/sys/bus_pci_devices/" + name_of(sbdf);
    std::error_code ec;
    fs::remove(link, ec);
    fs::create_symlink(name_of(sbdf), link);
}

void FakeSysfs::set_acpi_table(const std::string& signature, const std::vector<uint8_t>& data) {
    write_file(m_root + "/acpi/" + signature, data);
}

void FakeSysfs::set_memory_size(uint64_t bytes) {
    m_memory_size = bytes;
    const std::string path = m_root + "/mem";
    if (!touch(path) || truncate(path.c_str(), static_cast<off_t>(bytes)) != 0) {
        throw std::runtime_error(errno_text("sizing " + path));
    }
}

void FakeSysfs::write_memory(uint64_t addr, const std::vector<uint8_t>& data) {
    if (addr > m_memory_size || data.size() > m_memory_size - addr) {
        throw std::out_of_range("fake physical memory write beyond its size");
    }
    const int fd = open((m_root + "/mem").c_str(), O_WRONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && pwrite(fd, data.data(), data.size(), static_cast<off_t>(addr)) ==
                                   static_cast<ssize_t>(data.size());
    if (fd >= 0) close(fd);
    if (!ok) throw std::runtime_error(errno_text("writing fake physical memory"));
}

std::vector<uint8_t> FakeSysfs::read_memory(uint64_t addr, size_t len) const {
    if (addr > m_memory_size || len > m_memory_size - addr) {
        throw std::out_of_range("fake physical memory read beyond its size");
    }
    std::vector<uint8_t> data(len);
    const int fd = open((m_root + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && pread(fd, data.data(), len, static_cast<off_t>(addr)) ==
                                   static_cast<ssize_t>(len);
    if (fd >= 0) close(fd);
    if (!ok) throw std::runtime_error(errno_text("reading fake physical memory"));
    return data;
}

std::vector<uint8_t> FakeSysfs::config(SBDF sbdf) const {
    const std::string text = read_text(function_dir(sbdf) + "/config");
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string FakeSysfs::function_dir(SBDF sbdf) const {
    auto it = m_dirs.find(sbdf.sbdf());
    if (it == m_dirs.end()) {
        throw std::out_of_range("no fake function " + name_of(sbdf));
    }
    return it->second;
}

std::string FakeSysfs::read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string FakeSysfs::bind(const std::string& source, const std::string& target) {
    if (::mount(source.c_str(), target.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) {
        return errno_text("bind " + source + " on " + target);
    }
    m_mounts.push_back(target);
    return {};
}

// A missing mount point below /sys is made on a scratch file system over its
// nearest existing ancestor (inside the private namespace only).
std::string FakeSysfs::prepare_target(const std::string& target, bool directory) {
    std::error_code ec;
    if (fs::exists(target, ec)) {
        return {};
    }
    fs::path ancestor = fs::path(target).parent_path();
    while (!fs::exists(ancestor, ec) && ancestor != ancestor.root_path()) {
        ancestor = ancestor.parent_path();
    }
    if (ancestor.string().rfind("/sys", 0) != 0) {
        return "no place to mount " + target;
    }
    if (::mount("tmpfs", ancestor.c_str(), "tmpfs", 0, "mode=0755") != 0) {
        return errno_text("tmpfs on " + ancestor.string());
    }
    m_mounts.push_back(ancestor.string());
    if (directory) {
        fs::create_directories(target, ec);
    } else {
        fs::create_directories(fs::path(target).parent_path(), ec);
        touch(target);
    }
    return fs::exists(target, ec) ? std::string() : "cannot create " + target;
}

// A scratch /dev holding the entries of the real one (bound from it through
// a descriptor of the covered directory) plus the fake mem and doe0.
std::string FakeSysfs::mount_dev() {
    const int old_dev = open("/dev", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (old_dev < 0) {
        return errno_text("open /dev");
    }
    if (::mount("tmpfs", "/dev", "tmpfs", 0, "mode=0755") != 0) {
        const std::string why = errno_text("tmpfs on /dev");
        close(old_dev);
        return why;
    }
    m_mounts.push_back("/dev");
    const std::string old_path = "/proc/self/fd/" + std::to_string(old_dev);
    DIR* dir = fdopendir(dup(old_dev));
    if (dir != nullptr) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || name == "mem" || name == "doe0") {
                continue;
            }
            struct stat st;
            if (fstatat(old_dev, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            const std::string target = "/dev/" + name;
            if (S_ISLNK(st.st_mode)) {
                char link[4096];
                const ssize_t n = readlinkat(old_dev, name.c_str(), link, sizeof(link) - 1);
                if (n > 0) {
                    link[n] = '\0';
                    if (symlink(link, target.c_str()) != 0) {
                        continue;
                    }
                }
                continue;
            }
            const bool made = S_ISDIR(st.st_mode) ? mkdir(target.c_str(), 0755) == 0
                                                  : touch(target);
            if (made) {
                // Best effort: an entry that cannot be bound is left as a stub.
                ::mount((old_path + "/" + name).c_str(), target.c_str(), nullptr,
                        MS_BIND | MS_REC, nullptr);
            }
        }
        closedir(dir);
    }
    std::string why;
    if (m_mem_device != MemoryDevice::kAbsent) {
        const std::string source =
            m_mem_device == MemoryDevice::kFile ? m_root + "/mem" : old_path + "/null";
        struct stat st;
        if (m_mem_device == MemoryDevice::kRefusesMaps &&
            (stat(source.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))) {
            why = "no character device /dev/null to refuse the maps";
        } else if (!touch("/dev/mem")) {
            why = errno_text("creating /dev/mem");
        } else if (::mount(source.c_str(), "/dev/mem", nullptr, MS_BIND, nullptr) != 0) {
            why = errno_text("bind " + source + " on /dev/mem");
        }
    }
    close(old_dev);
    if (!why.empty()) {
        return why;
    }
    if (m_doe_device && !touch("/dev/doe0")) {
        return errno_text("creating /dev/doe0");
    }
    return {};
}

std::string FakeSysfs::mount() {
    if (!m_mounts.empty()) {
        return "already mounted";
    }
    std::string why = prepare_target(kPciDevices, true);
    if (why.empty()) why = bind(m_root + "/sys/bus_pci_devices", kPciDevices);
    if (why.empty()) why = prepare_target(kAcpiTables, true);
    if (why.empty()) why = bind(m_root + "/acpi", kAcpiTables);
    if (why.empty()) why = mount_dev();
    if (!why.empty()) {
        unmount();
    }
    return why;
}

void FakeSysfs::unmount() {
    while (!m_mounts.empty()) {
        umount2(m_mounts.back().c_str(), MNT_DETACH);
        m_mounts.pop_back();
    }
}

}  // namespace sim
}  // namespace tarvo
