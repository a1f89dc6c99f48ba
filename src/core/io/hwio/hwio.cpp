#include "core/io/hwio/hwio.hpp"

#include <climits>

namespace tarvo {
namespace core {
namespace {

// Where a register lies for a dword-wise configuration access.
struct DwordSlot {
    int dword_offset;   // byte-level offset of the aligned dword
    unsigned in_dword;  // position of the register's first byte in that dword
    unsigned bytes;     // the register's byte count
};

// False for a register that cannot be moved within one aligned dword, or
// whose offset does not fit the byte-level offset argument.
bool locate(uint64_t base_offset, const Register& reg, DwordSlot& slot) {
    const uint64_t offset = reg.GetOffset();
    const uint64_t bytes = reg.GetBytes();
    const uint64_t aligned = offset & ~uint64_t{3};
    const uint64_t in_dword = offset - aligned;
    if (bytes == 0 || bytes > 4 || in_dword + bytes > 4) {
        return false;
    }
    const uint64_t limit = INT_MAX - 4;
    if (base_offset > limit || aligned > limit - base_offset) {
        return false;
    }
    slot.dword_offset = static_cast<int>(base_offset + aligned);
    slot.in_dword = static_cast<unsigned>(in_dword);
    slot.bytes = static_cast<unsigned>(bytes);
    return true;
}

// Locates the register and reads its dword; false when refused or failed.
bool read_dword(hwio& io, SBDF sbdf, uint64_t base_offset, const Register& reg, DwordSlot& slot,
                unsigned char (&dword)[4]) {
    return locate(base_offset, reg, slot) &&
           io.ReadPCI(dword, static_cast<int>(sbdf.seg()), static_cast<int>(sbdf.bus()),
                      static_cast<int>(sbdf.dev()), static_cast<int>(sbdf.fun()),
                      slot.dword_offset, 4) != 0;
}

}  // namespace

int read_config_register(hwio& io, SBDF sbdf, uint64_t base_offset, Register& reg) {
    DwordSlot slot{};
    unsigned char dword[4] = {0, 0, 0, 0};
    if (!read_dword(io, sbdf, base_offset, reg, slot, dword)) {
        return -1;
    }
    uint64_t value = 0;
    for (unsigned i = 0; i < slot.bytes; ++i) {
        value |= uint64_t{dword[slot.in_dword + i]} << (8 * i);
    }
    reg.SetValue(value);
    return 0;
}

int write_config_register(hwio& io, SBDF sbdf, uint64_t base_offset, Register& reg) {
    DwordSlot slot{};
    unsigned char dword[4] = {0, 0, 0, 0};
    if (!read_dword(io, sbdf, base_offset, reg, slot, dword)) {
        return -1;
    }
    uint64_t value = reg.GetValue();
    unsigned char bytes[4] = {0, 0, 0, 0};
    for (unsigned i = 0; i < slot.bytes; ++i) {
        bytes[i] = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;
    }
    const int rc = io.WritePCI(bytes, static_cast<int>(sbdf.seg()), static_cast<int>(sbdf.bus()),
                               static_cast<int>(sbdf.dev()), static_cast<int>(sbdf.fun()),
                               slot.dword_offset + static_cast<int>(slot.in_dword),
                               static_cast<int>(slot.bytes));
    return rc == 0 ? -1 : 0;
}

std::vector<IoChunk> split_mmio_access(uint64_t addr, size_t len) {
    std::vector<IoChunk> chunks;
    if ((len == 1 || len == 2 || len == 4 || len == 8) && addr % len == 0) {
        chunks.push_back({0, static_cast<int>(len)});
        return chunks;
    }
    size_t done = 0;
    while (done < len) {
        const bool dword = (addr + done) % 4 == 0 && len - done >= 4;
        const int width = dword ? 4 : 1;
        chunks.push_back({done, width});
        done += static_cast<size_t>(width);
    }
    return chunks;
}

}  // namespace core
}  // namespace tarvo
