#pragma once

#include <functional>
#include <string>

#include "core/io/hwio/hwio.hpp"

namespace tarvo {
namespace core {

// Hardware access on Linux: configuration space through the sysfs "config"
// file of each function, memory through "/dev/mem" (one mapping per access),
// ACPI tables through sysfs and the DOE character device "/dev/doe0".
// Every operation opens and closes the file or mapping it uses; an object
// only keeps the folder of PCI functions open, to name files relative to it.
class hwio_linux : public hwio {
public:
    hwio_linux() = default;
    ~hwio_linux() override;
    hwio_linux(const hwio_linux&) = delete;
    hwio_linux& operator=(const hwio_linux&) = delete;

    int ReadPCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                int len) override;
    int WritePCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                 int len) override;
    int ReadPCI(SBDF sbdf, uint64_t base_offset, Register& reg) override;
    int WritePCI(SBDF sbdf, uint64_t base_offset, Register& reg) override;
    int ReadMMIO(unsigned char* buf, uint64_t addr, int len) override;
    int WriteMMIO(unsigned char* buf, uint64_t addr, int len) override;
    int ReadPhysMem(unsigned char* buf, uint64_t addr, int len) override;
    int WritePhysMem(unsigned char* buf, uint64_t addr, int len) override;
    int ReadACPI(unsigned char* buf, char* ID, int len) override;
    int ReadFile(unsigned char* buf, std::string filename, int offset, int len) override;
    int ReadDOE(unsigned char* buf, int len) override;
    int WriteDOE(unsigned char* buf, int len) override;

    // len bytes of buf written at offset of an existing file; 1 or 0.
    int WriteFile(unsigned char* buf, std::string filename, int offset, int len);

    // Hot-removes the function whose sysfs file is pci: stores the function's
    // canonical sysfs directory in sym_link_path and writes "1" to its
    // "remove" file. 0 on success, 1 on failure.
    static int RemovePCI(std::string& sym_link_path, std::string& pci);
    // Writes "1" to the "rescan" file of the parent of sym_link_path.
    // 0 on success, 1 on failure.
    static int RescanPCI(std::string& sym_link_path);

    // "/sys/bus/pci/devices/SSSS:BB:DD.F/config" of the function.
    static std::string pci_filename(int seg, int bus, int dev, int fun);
    // Every name in "/sys/bus/pci/devices", passed to entry as one listing
    // reads it ("." and ".." included); nothing when the folder cannot be
    // opened.
    static void list_pci_functions(const std::function<void(const char*)>& entry);

private:
    // A file's name as the system calls take it: relative to dir.
    struct Location {
        int dir;
        const char* name;
    };
    Location locate(const std::string& filename);

    static constexpr int kNotOpened = -1;
    static constexpr int kUnavailable = -2;
    int m_pci_devices = kNotOpened;  // "/sys/bus/pci/devices", opened at first use
};

}  // namespace core
}  // namespace tarvo
