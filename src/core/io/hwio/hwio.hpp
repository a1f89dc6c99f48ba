#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/sbdf.hpp"
#include "core/io/hwio/register.hpp"

namespace tarvo {
namespace core {

// The one interface through which the system touches hardware: PCI
// configuration space (as bytes and as registers), memory-mapped registers,
// physical memory, ACPI tables, files and the DOE character device.
//
// Byte-level operations return nonzero on success and 0 on failure; the two
// register-level operations return 0 on success and -1 on failure.
// Implementations are owned and destroyed through this type.
class hwio {
public:
    // Configuration space of function seg:bus:dev.fun, len bytes at offset.
    virtual int ReadPCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                        int len) = 0;
    virtual int WritePCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                         int len) = 0;
    // One register at base_offset + reg.GetOffset() of the function sbdf.
    virtual int ReadPCI(SBDF sbdf, uint64_t base_offset, Register& reg) = 0;
    virtual int WritePCI(SBDF sbdf, uint64_t base_offset, Register& reg) = 0;
    // Memory-mapped registers at physical address addr.
    virtual int ReadMMIO(unsigned char* buf, uint64_t addr, int len) = 0;
    virtual int WriteMMIO(unsigned char* buf, uint64_t addr, int len) = 0;
    // Physical memory at addr.
    virtual int ReadPhysMem(unsigned char* buf, uint64_t addr, int len) = 0;
    virtual int WritePhysMem(unsigned char* buf, uint64_t addr, int len) = 0;
    // The first len bytes of the ACPI table with signature ID.
    virtual int ReadACPI(unsigned char* buf, char* ID, int len) = 0;
    virtual int ReadFile(unsigned char* buf, std::string filename, int offset, int len) = 0;
    virtual int ReadDOE(unsigned char* buf, int len) = 0;
    virtual int WriteDOE(unsigned char* buf, int len) = 0;

    virtual ~hwio() = default;
};

// Register-level configuration access shared by the implementations: both go
// through the byte-level ReadPCI/WritePCI of io.
//
// A register is moved within its naturally aligned dword: one that crosses
// the dword, is wider than 32 bits or has no bytes is refused with -1 before
// any access, as is one whose offset does not fit the byte-level offset.
//
// read_config_register reads the dword at base_offset plus the register's
// aligned offset and gives the register's bytes, little-endian, to reg; on a
// failed read it returns -1 and leaves reg as it was.
int read_config_register(hwio& io, SBDF sbdf, uint64_t base_offset, Register& reg);

// write_config_register reads the dword first (a failed read writes nothing
// and gives -1), then writes back only the register's own bytes at its own
// offset, so write-1-to-clear bits of a neighbouring register in the same
// dword are left alone.
int write_config_register(hwio& io, SBDF sbdf, uint64_t base_offset, Register& reg);

// One access of a memory-mapped transfer: width bytes at offset from the
// start of the transfer.
struct IoChunk {
    size_t offset;
    int width;
};

// How a memory-mapped transfer of len bytes at addr is carried out. CXL and
// PCIe registers must be accessed at their own width, so a naturally aligned
// transfer of 1, 2, 4 or 8 bytes is one access of exactly that width; any
// other transfer uses aligned 4-byte accesses where it can and single bytes
// elsewhere.
std::vector<IoChunk> split_mmio_access(uint64_t addr, size_t len);

}  // namespace core
}  // namespace tarvo
