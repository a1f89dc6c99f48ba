#include "core/io/hwio/hwio_linux.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>

#include "common/console.hpp"
#include "common/utility.hpp"

namespace tarvo {
namespace core {
namespace {

namespace fs = std::filesystem;

const char* const kDevMem = "/dev/mem";
const char* const kDoeDevice = "/dev/doe0";
const char* const kAcpiTables = "/sys/firmware/acpi/tables/";

const char kPciDevices[] = "/sys/bus/pci/devices/";

// An unreadable path counts as absent, so one odd entry cannot abort a scan.
// A plain stat: every configuration access asks it, and building a
// std::filesystem path for each costs more than the system call itself.
bool path_exists(int dir, const char* path) {
    struct stat status;
    return ::fstatat(dir, path, &status, 0) == 0;
}

bool path_exists(const std::string& path) { return path_exists(AT_FDCWD, path.c_str()); }

// Appends value in lower-case hexadecimal, zero-padded to at least width
// digits (as printf's "%0*x" does).
void append_hex(std::string& out, unsigned value, int width) {
    char digits[2 * sizeof(unsigned)];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (int pad = width - n; pad > 0; --pad) {
        out += '0';
    }
    while (n > 0) {
        out += digits[--n];
    }
}

// Writes the single character "1" to path; the sysfs trigger files.
bool write_one(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0) {
        return false;
    }
    const ssize_t written = write(fd, "1", 1);
    close(fd);
    return written == 1;
}

// How one positioned transfer of a file ended. A read that comes back short
// although the file's size holds the bytes asked for, or an open for
// writing that is refused, is the kernel keeping a function's configuration
// space from a user who is not root.
enum class Transfer { done, failed, kept_from_user };

// One positioned read or write of len bytes of an existing file, named
// relative to dir.
Transfer transfer_file(unsigned char* buf, int dir, const char* filename, int offset, int len,
                       bool write) {
    if (buf == nullptr || offset < 0 || len < 0 || !path_exists(dir, filename)) {
        return Transfer::failed;
    }
    const int fd = ::openat(dir, filename, write ? O_RDWR : O_RDONLY);
    if (fd < 0) {
        const bool refused = write && (errno == EACCES || errno == EPERM);
        return refused ? Transfer::kept_from_user : Transfer::failed;
    }
    const size_t count = static_cast<size_t>(len);
    const ssize_t moved = write ? pwrite(fd, buf, count, static_cast<off_t>(offset))
                                : pread(fd, buf, count, static_cast<off_t>(offset));
    Transfer outcome = moved == len ? Transfer::done : Transfer::failed;
    if (outcome == Transfer::failed && !write && moved >= 0) {
        // Asked only after a short read, so a sound read costs nothing more.
        struct stat status;
        if (::fstat(fd, &status) == 0 && status.st_size >= static_cast<off_t>(offset) + len) {
            outcome = Transfer::kept_from_user;
        }
    }
    close(fd);
    return outcome;
}

// Where in filename its name below the folder of PCI functions starts, past
// every slash ("devices//x" is "devices/x", but a relative "/x" would be the
// root's); npos for a file outside that folder.
size_t below_pci_devices(const std::string& filename) {
    const size_t prefix = sizeof(kPciDevices) - 1;
    if (filename.compare(0, prefix, kPciDevices) != 0) {
        return std::string::npos;
    }
    return filename.find_first_not_of('/', prefix);
}

// The kernel shows a reader without CAP_SYS_ADMIN only the first 64 bytes
// of a function's configuration space, and lets only root open it for
// writing: every DVSEC read then fails and a CXL device looks like none. The
// first such answer in a process says why; the later ones would repeat it.
// Files other than a function's configuration file say nothing.
void explain_kept_config(const std::string& filename) {
    static const std::string suffix = "/config";
    const size_t begin = below_pci_devices(filename);
    if (begin == std::string::npos || filename.size() < begin + 1 + suffix.size() ||
        filename.compare(filename.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return;
    }
    const size_t end = filename.size() - suffix.size();
    if (filename.find('/', begin) != end) {
        return;
    }
    static std::atomic<bool> told{false};
    if (told.exchange(true)) {
        return;
    }
    say_in_red("The kernel shows the configuration space of " +
               filename.substr(begin, end - begin) +
               " beyond its first 64 bytes only to root, and lets only root write it:"
               " run tarvo as root (with sudo).");
}

// 1 for a whole transfer, else 0, with the reason told where it is the
// user's.
int transferred(Transfer outcome, const std::string& filename) {
    if (outcome == Transfer::kept_from_user) {
        explain_kept_config(filename);
    }
    return outcome == Transfer::done ? 1 : 0;
}

// One access of exactly sizeof(T) bytes; registers must not be touched at
// another width.
template <typename T>
void move_one(volatile unsigned char* device, unsigned char* host, bool to_device) {
    volatile T* reg = reinterpret_cast<volatile T*>(device);
    T value;
    if (to_device) {
        std::memcpy(&value, host, sizeof(T));
        *reg = value;
    } else {
        value = *reg;
        std::memcpy(host, &value, sizeof(T));
    }
}

// A kernel that keeps /dev/mem from the regions a driver holds (iomem=strict,
// the default of a strict-devmem kernel) refuses every register of a device
// that cxl_pci has bound, and the tests then fail on a sound device. The
// first refusal in a process says so; the later ones would only repeat it.
void explain_refusal(uint64_t addr, int error) {
    static std::atomic<bool> told{false};
    if (told.exchange(true)) {
        return;
    }
    say_in_red(std::string(kDevMem) + " refused physical address " + to_hexstr(addr) + ": " +
               std::strerror(error) +
               ". The device may be sound: the host keeps /dev/mem from all but root, and"
               " from the registers that a kernel driver holds unless booted with"
               " iomem=relaxed. Run as root, and boot with the kernel argument iomem=relaxed"
               " or unbind the device's driver (such as cxl_pci) for the run.");
}

// Maps the pages of /dev/mem that hold [addr, addr + len) and moves the bytes
// with accesses of the widths split_mmio_access gives.
int map_and_move(unsigned char* buf, uint64_t addr, int len, bool to_device) {
    if (buf == nullptr || len <= 0) {
        return 0;
    }
    long page = sysconf(_SC_PAGESIZE);
    if (page <= 0) {
        page = 4096;
    }
    const uint64_t in_page = addr % static_cast<uint64_t>(page);
    const size_t map_len = static_cast<size_t>(in_page) + static_cast<size_t>(len);
    const int prot = to_device ? (PROT_READ | PROT_WRITE) : PROT_READ;

    const int fd = open(kDevMem, O_RDWR);
    int error = errno;
    void* map = MAP_FAILED;
    if (fd >= 0) {
        map = mmap(nullptr, map_len, prot, MAP_SHARED, fd, static_cast<off_t>(addr - in_page));
        error = errno;
    }
    if (map == MAP_FAILED) {
        if (!to_device) {
            std::cout << "ReadMMIO mmap failed" << std::endl;
        }
        explain_refusal(addr, error);
        if (fd >= 0) {
            close(fd);
        }
        return 0;
    }

    volatile unsigned char* base = static_cast<volatile unsigned char*>(map) + in_page;
    for (const IoChunk& chunk : split_mmio_access(addr, static_cast<size_t>(len))) {
        volatile unsigned char* device = base + chunk.offset;
        unsigned char* host = buf + chunk.offset;
        switch (chunk.width) {
            case 8: move_one<uint64_t>(device, host, to_device); break;
            case 4: move_one<uint32_t>(device, host, to_device); break;
            case 2: move_one<uint16_t>(device, host, to_device); break;
            default: move_one<uint8_t>(device, host, to_device); break;
        }
    }
    munmap(map, map_len);
    close(fd);
    return 1;
}

}  // namespace

std::string hwio_linux::pci_filename(int seg, int bus, int dev, int fun) {
    // Formatted by hand: every configuration access builds this name.
    std::string path;
    path.reserve(48);
    path += kPciDevices;
    append_hex(path, static_cast<unsigned>(seg), 4);
    path += ':';
    append_hex(path, static_cast<unsigned>(bus), 2);
    path += ':';
    append_hex(path, static_cast<unsigned>(dev), 2);
    path += '.';
    append_hex(path, static_cast<unsigned>(fun), 1);
    path += "/config";
    return path;
}

void hwio_linux::list_pci_functions(const std::function<void(const char*)>& entry) {
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(kPciDevices), ::closedir);
    if (!folder) {
        return;
    }
    while (const dirent* name = ::readdir(folder.get())) {
        entry(name->d_name);
    }
}

hwio_linux::~hwio_linux() {
    if (m_pci_devices >= 0) {
        close(m_pci_devices);
    }
}

// A file below the folder of PCI functions is named relative to that folder,
// opened once per object: the path walk to it costs more than the rest of a
// configuration access, and a capability walk makes dozens of them. Any other
// file, or a folder that cannot be opened, keeps its absolute name.
hwio_linux::Location hwio_linux::locate(const std::string& filename) {
    const size_t name = below_pci_devices(filename);
    if (name == std::string::npos) {
        return {AT_FDCWD, filename.c_str()};
    }
    if (m_pci_devices == kNotOpened) {
        const int fd = ::open(kPciDevices, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        m_pci_devices = fd >= 0 ? fd : kUnavailable;
    }
    if (m_pci_devices < 0) {
        return {AT_FDCWD, filename.c_str()};
    }
    return {m_pci_devices, filename.c_str() + name};
}

int hwio_linux::ReadFile(unsigned char* buf, std::string filename, int offset, int len) {
    const Location at = locate(filename);
    return transferred(transfer_file(buf, at.dir, at.name, offset, len, false), filename);
}

int hwio_linux::WriteFile(unsigned char* buf, std::string filename, int offset, int len) {
    const Location at = locate(filename);
    return transferred(transfer_file(buf, at.dir, at.name, offset, len, true), filename);
}

int hwio_linux::ReadPCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                        int len) {
    return ReadFile(buf, pci_filename(seg, bus, dev, fun), offset, len);
}

int hwio_linux::WritePCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                         int len) {
    return WriteFile(buf, pci_filename(seg, bus, dev, fun), offset, len);
}

int hwio_linux::ReadPCI(SBDF sbdf, uint64_t base_offset, Register& reg) {
    return read_config_register(*this, sbdf, base_offset, reg);
}

int hwio_linux::WritePCI(SBDF sbdf, uint64_t base_offset, Register& reg) {
    return write_config_register(*this, sbdf, base_offset, reg);
}

int hwio_linux::ReadMMIO(unsigned char* buf, uint64_t addr, int len) {
    return map_and_move(buf, addr, len, false);
}

int hwio_linux::WriteMMIO(unsigned char* buf, uint64_t addr, int len) {
    return map_and_move(buf, addr, len, true);
}

int hwio_linux::ReadPhysMem(unsigned char* buf, uint64_t addr, int len) {
    return ReadMMIO(buf, addr, len);
}

int hwio_linux::WritePhysMem(unsigned char* buf, uint64_t addr, int len) {
    return WriteMMIO(buf, addr, len);
}

int hwio_linux::ReadACPI(unsigned char* buf, char* ID, int len) {
    if (ID == nullptr) {
        return 0;
    }
    return ReadFile(buf, std::string(kAcpiTables) + ID, 0, len);
}

int hwio_linux::ReadDOE(unsigned char* /*buf*/, int /*len*/) {
    return 1;
}

int hwio_linux::WriteDOE(unsigned char* buf, int /*len*/) {
    if (!path_exists(kDoeDevice)) {
        std::cout << "/dev/doe0 does not exist." << std::endl;
        return 0;
    }
    const int fd = open(kDoeDevice, O_RDWR | O_SYNC);
    if (fd < 0) {
        return 0;
    }
    const int rc = ioctl(fd, 0, buf);
    close(fd);
    return rc < 0 ? 0 : 1;
}

int hwio_linux::RemovePCI(std::string& sym_link_path, std::string& pci) {
    const fs::path parent = fs::path(pci).parent_path();
    fs::path resolved;
    try {
        resolved = fs::canonical(parent);
    } catch (const std::exception& e) {
        std::cout << "Canonical path for " << parent << " threw exception:" << std::endl
                  << e.what() << std::endl;
        return 1;
    }
    sym_link_path = resolved.string();
    return write_one(sym_link_path + "/remove") ? 0 : 1;
}

int hwio_linux::RescanPCI(std::string& sym_link_path) {
    const std::string rescan = fs::path(sym_link_path).parent_path().string() + "/rescan";
    if (!path_exists(rescan)) {
        std::cout << "rescan not exist, pcie module not loaded in root bus" << std::endl;
        return 1;
    }
    return write_one(rescan) ? 0 : 1;
}

}  // namespace core
}  // namespace tarvo
