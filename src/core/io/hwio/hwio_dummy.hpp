#pragma once

#include <string>

#include "core/io/hwio/hwio.hpp"

namespace tarvo {
namespace core {

// Hardware access that plays a device with ordinary files in the working
// directory: configuration space in "PCI_<seg>_<bus>_<dev>_<fun>.bin"
// (decimal numbers, the access offset is the file offset), memory-mapped
// ranges in "MMIO_0x<addr>.bin", physical memory in "MEM_0x<addr>.bin", ACPI
// tables in a file named by their signature, and the DOE device in
// "DOE0Read.bin" / "DOE0Write.bin". Memory, ACPI and DOE data start at byte 0
// of their file. Files are at most 4096 bytes long.
class hwio_dummy : public hwio {
public:
    int ReadPCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                int len) override;
    int WritePCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                 int len) override;
    // The files hold no register view: both register-level operations fail.
    int ReadPCI(SBDF sbdf, uint64_t base_offset, Register& reg) override;
    int WritePCI(SBDF sbdf, uint64_t base_offset, Register& reg) override;
    int ReadMMIO(unsigned char* buf, uint64_t addr, int len) override;
    int WriteMMIO(unsigned char* buf, uint64_t addr, int len) override;
    int ReadPhysMem(unsigned char* buf, uint64_t addr, int len) override;
    int WritePhysMem(unsigned char* buf, uint64_t addr, int len) override;
    int ReadACPI(unsigned char* buf, char* ID, int len) override;
    // Reads up to len bytes at offset; a missing or short file leaves buf, or
    // its tail, as it was and still counts as read.
    int ReadFile(unsigned char* buf, std::string filename, int offset, int len) override;
    int ReadDOE(unsigned char* buf, int len) override;
    int WriteDOE(unsigned char* buf, int len) override;

    // Places len bytes of buf at offset, keeping the file's other bytes and
    // extending it (with zero bytes in any gap) when the write goes past its
    // end. 0 for a file longer than 4096 bytes, a write reaching beyond
    // byte 4096 or a negative offset or length, and when the file cannot be
    // read or written; 1 otherwise.
    int WriteFile(unsigned char* buf, std::string filename, int offset, int len);

    std::string pci_filename(int seg, int bus, int dev, int fun);
    // Removes the function and rescans its parent; 0 on success, 1 on failure.
    int TriggerPCIRescan(int seg, int bus, int dev, int fun);
    int RemovePCI(std::string& sym_link_path, std::string& pci);
    int RescanPCI(std::string& sym_link_path);
};

}  // namespace core
}  // namespace tarvo
