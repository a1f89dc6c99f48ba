#pragma once

#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>

namespace tarvo {

// A PCI function address packed as segment:bus:device.function.
class SBDF {
public:
    SBDF() = default;
    SBDF(uint32_t p_seg, uint32_t p_bus, uint32_t p_dev, uint32_t p_fun)
        : m_sbdf((p_seg << 16) | (p_bus << 8) | (p_dev << 3) | p_fun) {}

    uint32_t seg() const { return m_sbdf >> 16; }
    uint32_t bus() const { return (m_sbdf >> 8) & 0xFF; }
    uint32_t dev() const { return (m_sbdf >> 3) & 0x1F; }
    uint32_t fun() const { return m_sbdf & 7; }
    uint32_t sbdf() const { return m_sbdf; }

    // "bus:dev.fun" in hexadecimal, as the stream printer writes it.
    std::string str() const;

private:
    uint32_t m_sbdf = 0;
};

// Leaves the stream in hexadecimal, as callers of the address printer expect.
inline std::ostream& operator<<(std::ostream& os, const SBDF& s) {
    os << std::hex << s.bus() << ':' << s.dev() << '.' << s.fun();
    return os;
}

inline std::string SBDF::str() const {
    std::ostringstream out;
    out << *this;
    return out.str();
}

}  // namespace tarvo
