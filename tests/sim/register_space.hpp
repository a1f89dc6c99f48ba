#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvo {
namespace sim {

// How one bit of a simulated register responds to a write from the system.
enum class BitAttr {
    ro,    // keeps its value
    rw,    // takes the written value
    rw1c,  // a 1 written clears it, a 0 leaves it
};

// A block of simulated register bytes with per-bit write behaviour. Two views:
// - set/get/set_bytes are the set-up view of a test or a behaviour hook: they
//   change or read bytes directly, whatever the attributes say;
// - device_write is what a write from the system does: every bit follows its
//   attribute.
// Offsets and lengths outside the block raise std::out_of_range.
class RegisterSpace {
public:
    RegisterSpace(size_t size, BitAttr initial);

    size_t size() const { return m_bytes.size(); }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

    // bytes (at most 8) little-endian at offset.
    void set(size_t offset, uint64_t value, size_t bytes);
    uint64_t get(size_t offset, size_t bytes) const;
    void set8(size_t offset, uint8_t value) { set(offset, value, 1); }
    void set16(size_t offset, uint16_t value) { set(offset, value, 2); }
    void set32(size_t offset, uint32_t value) { set(offset, value, 4); }
    void set64(size_t offset, uint64_t value) { set(offset, value, 8); }
    uint8_t get8(size_t offset) const { return static_cast<uint8_t>(get(offset, 1)); }
    uint16_t get16(size_t offset) const { return static_cast<uint16_t>(get(offset, 2)); }
    uint32_t get32(size_t offset) const { return static_cast<uint32_t>(get(offset, 4)); }
    uint64_t get64(size_t offset) const { return get(offset, 8); }
    void set_bytes(size_t offset, const std::vector<uint8_t>& data);
    void read(size_t offset, uint8_t* out, size_t len) const;

    // For the bytes (at most 8) at offset: bits set in rw become read-write,
    // bits set in rw1c write-1-to-clear (rw1c wins where both are set), all
    // other bits read-only.
    void set_attr(size_t offset, size_t bytes, uint64_t rw, uint64_t rw1c = 0);
    // The same attribute for every bit of [offset, offset + len).
    void set_attr_range(size_t offset, size_t len, BitAttr attr);
    BitAttr attr(size_t offset, unsigned bit) const;

    // A write of the system: each bit follows its attribute.
    void device_write(size_t offset, const uint8_t* data, size_t len);

private:
    void check(size_t offset, size_t len) const;

    std::vector<uint8_t> m_bytes;
    std::vector<uint8_t> m_rw;
    std::vector<uint8_t> m_rw1c;
};

}  // namespace sim
}  // namespace tarvo
