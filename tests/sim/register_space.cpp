#include "sim/register_space.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tarvo {
namespace sim {

RegisterSpace::RegisterSpace(size_t size, BitAttr initial)
    : m_bytes(size, 0),
      m_rw(size, initial == BitAttr::rw ? 0xFF : 0),
      m_rw1c(size, initial == BitAttr::rw1c ? 0xFF : 0) {}

void RegisterSpace::check(size_t offset, size_t len) const {
    if (offset > m_bytes.size() || len > m_bytes.size() - offset) {
        throw std::out_of_range("simulated register access of " + std::to_string(len) +
                                " bytes at " + std::to_string(offset) + " outside " +
                                std::to_string(m_bytes.size()) + " bytes");
    }
}

void RegisterSpace::set(size_t offset, uint64_t value, size_t bytes) {
    if (bytes > 8) {
        throw std::out_of_range("simulated register value wider than 8 bytes");
    }
    check(offset, bytes);
    for (size_t i = 0; i < bytes; ++i) {
        m_bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint64_t RegisterSpace::get(size_t offset, size_t bytes) const {
    if (bytes > 8) {
        throw std::out_of_range("simulated register value wider than 8 bytes");
    }
    check(offset, bytes);
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i) {
        value |= uint64_t{m_bytes[offset + i]} << (8 * i);
    }
    return value;
}

void RegisterSpace::set_bytes(size_t offset, const std::vector<uint8_t>& data) {
    check(offset, data.size());
    std::copy(data.begin(), data.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

void RegisterSpace::read(size_t offset, uint8_t* out, size_t len) const {
    check(offset, len);
    std::copy(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset),
              m_bytes.begin() + static_cast<std::ptrdiff_t>(offset + len), out);
}

void RegisterSpace::set_attr(size_t offset, size_t bytes, uint64_t rw, uint64_t rw1c) {
    if (bytes > 8) {
        throw std::out_of_range("simulated register mask wider than 8 bytes");
    }
    check(offset, bytes);
    for (size_t i = 0; i < bytes; ++i) {
        const auto c = static_cast<uint8_t>(rw1c >> (8 * i));
        m_rw1c[offset + i] = c;
        m_rw[offset + i] = static_cast<uint8_t>(rw >> (8 * i)) & static_cast<uint8_t>(~c);
    }
}

void RegisterSpace::set_attr_range(size_t offset, size_t len, BitAttr attr) {
    check(offset, len);
    for (size_t i = offset; i < offset + len; ++i) {
        m_rw[i] = attr == BitAttr::rw ? 0xFF : 0;
        m_rw1c[i] = attr == BitAttr::rw1c ? 0xFF : 0;
    }
}

BitAttr RegisterSpace::attr(size_t offset, unsigned bit) const {
    check(offset, 1);
    const uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
    if (m_rw1c[offset] & mask) {
        return BitAttr::rw1c;
    }
    return (m_rw[offset] & mask) ? BitAttr::rw : BitAttr::ro;
}

void RegisterSpace::device_write(size_t offset, const uint8_t* data, size_t len) {
    check(offset, len);
    for (size_t i = 0; i < len; ++i) {
        uint8_t& b = m_bytes[offset + i];
        const uint8_t rw = m_rw[offset + i];
        const uint8_t rw1c = m_rw1c[offset + i];
        b = static_cast<uint8_t>((b & ~rw) | (data[i] & rw));
        b = static_cast<uint8_t>(b & ~(data[i] & rw1c));
    }
}

}  // namespace sim
}  // namespace tarvo
