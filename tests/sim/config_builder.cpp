#include "sim/config_builder.hpp"

#include <algorithm>
#include <stdexcept>

namespace tarvo {
namespace sim {
namespace {

constexpr uint8_t kPcieCapId = 0x10;
constexpr uint16_t kAerId = 0x0001;
constexpr uint16_t kDvsecId = 0x0023;
constexpr uint16_t kDoeId = 0x002E;
constexpr size_t kPcieCapLen = 0x3C;
constexpr size_t kAerLen = 0x48;
constexpr size_t kDoeLen = 0x18;

// Marks a register of a structure only when it lies inside both the
// structure (len bytes from base) and the space.
void mark(ConfigSpace& space, size_t base, size_t len, size_t rel, size_t bytes, uint64_t rw,
          uint64_t rw1c = 0) {
    if (rel + bytes > len || base + rel + bytes > space.size()) {
        return;
    }
    space.set_attr(base + rel, bytes, rw, rw1c);
}

void mark_dvsec(ConfigSpace& space, size_t o) {
    if (space.get16(o + 4) != CXL_DVSEC_VENDOR_ID) {
        return;
    }
    const size_t len = space.get32(o + 4) >> 20;
    switch (space.get16(o + 8)) {
        case PCIE_DVSEC_FOR_CXL_DEV:
            mark(space, o, len, 0x0C, 2, 0xFFFF);          // DVSEC CXL Control
            mark(space, o, len, 0x0E, 2, 0, 0x4000);       // DVSEC CXL Status: Viral Status
            mark(space, o, len, 0x10, 2, 0xFFFF);          // DVSEC CXL Control2
            mark(space, o, len, 0x14, 2, 0x0001);          // DVSEC CXL Lock
            mark(space, o, len, 0x20, 4, 0xFFFFFFFF);      // Range 1 Base High
            mark(space, o, len, 0x24, 4, 0xF0000000);      // Range 1 Base Low
            mark(space, o, len, 0x30, 4, 0xFFFFFFFF);      // Range 2 Base High
            mark(space, o, len, 0x34, 4, 0xF0000000);      // Range 2 Base Low
            break;
        case CXL_EXTENTION_PORTS_DVSEC:
            // Port Control Extensions, alternate ranges and RCRB base.
            for (size_t rel = 0x0C; rel < 0x28; rel += 4) {
                mark(space, o, len, rel, 4, 0xFFFFFFFF);
            }
            break;
        case CXL_GPF_PORT_DVSEC:
            mark(space, o, len, 0x0C, 4, 0xFFFFFFFF);      // GPF Phase 1 and 2 Control
            break;
        case Flex_Bus_Port_DVSEC:
            mark(space, o, len, 0x0C, 2, 0xFFFF);          // Flex Bus Port Control
            break;
        default:
            break;
    }
}

}  // namespace

void mark_header(ConfigSpace& space) {
    const size_t all = ConfigSpace::kLegacySize;
    mark(space, 0, all, 0x04, 2, 0x0547);       // Command
    mark(space, 0, all, 0x06, 2, 0, 0xF900);    // Status error bits
    mark(space, 0, all, 0x0C, 1, 0xFF);         // Cache Line Size
    mark(space, 0, all, 0x3C, 1, 0xFF);         // Interrupt Line
    if ((space.get8(0x0E) & 0x7F) == 1) {
        mark(space, 0, all, 0x18, 4, 0xFFFFFFFF);    // bus numbers, secondary latency
        mark(space, 0, all, 0x1C, 2, 0xF0F0);        // I/O base and limit
        mark(space, 0, all, 0x1E, 2, 0, 0xF900);     // Secondary Status
        mark(space, 0, all, 0x20, 4, 0xFFF0FFF0);    // memory base and limit
        mark(space, 0, all, 0x24, 4, 0xFFF0FFF0);    // prefetchable base and limit
        mark(space, 0, all, 0x28, 8, ~uint64_t{0});  // prefetchable upper halves
        mark(space, 0, all, 0x30, 4, 0xFFFFFFFF);    // I/O upper halves
        mark(space, 0, all, 0x3E, 2, 0xFFFF);        // Bridge Control
    }
}

void mark_capability(ConfigSpace& space, size_t o, uint8_t id) {
    if (id != kPcieCapId) {
        return;
    }
    mark(space, o, kPcieCapLen, 0x08, 2, 0xFFFF);         // Device Control
    mark(space, o, kPcieCapLen, 0x0A, 2, 0, 0x000F);      // Device Status error bits
    mark(space, o, kPcieCapLen, 0x10, 2, 0xFFFF);         // Link Control
    mark(space, o, kPcieCapLen, 0x12, 2, 0, 0xC000);      // Link Status
    mark(space, o, kPcieCapLen, 0x18, 2, 0xFFFF);         // Slot Control
    mark(space, o, kPcieCapLen, 0x1A, 2, 0, 0x011F);      // Slot Status
    mark(space, o, kPcieCapLen, 0x1C, 2, 0x001F);         // Root Control
    mark(space, o, kPcieCapLen, 0x20, 4, 0, 0x00010000);  // Root Status PME
    mark(space, o, kPcieCapLen, 0x28, 2, 0xFFFF);         // Device Control 2
    mark(space, o, kPcieCapLen, 0x30, 2, 0xFFFF);         // Link Control 2
}

void mark_ext_capability(ConfigSpace& space, size_t o, uint16_t id) {
    switch (id) {
        case kAerId:
            mark(space, o, kAerLen, 0x04, 4, 0, 0xFFFFFFFF);  // Uncorrectable Error Status
            mark(space, o, kAerLen, 0x08, 4, 0xFFFFFFFF);     // Uncorrectable Error Mask
            mark(space, o, kAerLen, 0x0C, 4, 0xFFFFFFFF);     // Uncorrectable Error Severity
            mark(space, o, kAerLen, 0x10, 4, 0, 0xFFFFFFFF);  // Correctable Error Status
            mark(space, o, kAerLen, 0x14, 4, 0xFFFFFFFF);     // Correctable Error Mask
            mark(space, o, kAerLen, 0x18, 4, 0x00000540);     // ECRC and header log control
            mark(space, o, kAerLen, 0x2C, 4, 0x00000007);     // Root Error Command
            mark(space, o, kAerLen, 0x30, 4, 0, 0x0000007F);  // Root Error Status
            break;
        case kDoeId:
            mark(space, o, kDoeLen, 0x08, 4, 0x80000003);     // Control: Go, interrupt, Abort
            mark(space, o, kDoeLen, 0x0C, 4, 0, 0x00000004);  // Status: interrupt status
            mark(space, o, kDoeLen, 0x10, 4, 0xFFFFFFFF);     // Write Data Mailbox
            mark(space, o, kDoeLen, 0x14, 4, 0xFFFFFFFF);     // Read Data Mailbox
            break;
        case kDvsecId:
            mark_dvsec(space, o);
            break;
        default:
            break;
    }
}

void mark_known_structures(ConfigSpace& space) {
    mark_header(space);
    size_t ptr = space.get8(0x34) & 0xFC;
    for (int steps = 0; steps < 48 && ptr >= 0x40 && ptr + 2 <= ConfigSpace::kLegacySize;
         ++steps) {
        mark_capability(space, ptr, space.get8(ptr));
        ptr = space.get8(ptr + 1) & 0xFC;
    }
    if (space.size() <= ConfigSpace::kLegacySize) {
        return;
    }
    size_t off = 0x100;
    for (size_t steps = 0; steps < space.size() / 4 && off >= 0x100 && off + 4 <= space.size();
         ++steps) {
        const uint32_t header = space.get32(off);
        if (header == 0 || header == 0xFFFFFFFF) {
            break;
        }
        mark_ext_capability(space, off, static_cast<uint16_t>(header & 0xFFFF));
        off = (header >> 20) & 0xFFC;
    }
}

ConfigBuilder::ConfigBuilder(size_t size) : m_space(size) {
    if (size != ConfigSpace::kExtendedSize && size != ConfigSpace::kLegacySize) {
        throw std::invalid_argument("configuration space is 256 or 4096 bytes");
    }
    mark_header(m_space);
}

ConfigBuilder& ConfigBuilder::ids(uint16_t vendor, uint16_t device) {
    m_space.set16(0x00, vendor);
    m_space.set16(0x02, device);
    return *this;
}

ConfigBuilder& ConfigBuilder::class_code(uint32_t code, uint8_t revision) {
    m_space.set8(0x08, revision);
    m_space.set(0x09, code & 0xFFFFFF, 3);
    return *this;
}

ConfigBuilder& ConfigBuilder::header_type(uint8_t type) {
    m_space.set8(0x0E, type);
    mark_header(m_space);
    return *this;
}

ConfigBuilder& ConfigBuilder::bar(int index, uint64_t address, uint64_t size, bool is64,
                                  bool prefetchable) {
    const int last_index = is64 ? index + 1 : index;
    if (index < 0 || last_index > 5 || size < 16 || (size & (size - 1)) != 0) {
        throw std::invalid_argument("BAR index or size not valid");
    }
    const size_t at = 0x10 + 4 * static_cast<size_t>(index);
    const uint64_t mask = ~(size - 1);
    const uint32_t flags = (is64 ? 0x4u : 0u) | (prefetchable ? 0x8u : 0u);
    m_space.set32(at, (static_cast<uint32_t>(address) & 0xFFFFFFF0u) | flags);
    m_space.set_attr(at, 4, mask & 0xFFFFFFF0u);
    if (is64) {
        m_space.set32(at + 4, static_cast<uint32_t>(address >> 32));
        m_space.set_attr(at + 4, 4, mask >> 32);
    }
    return *this;
}

ConfigBuilder& ConfigBuilder::io_bar(int index, uint32_t address, uint32_t size) {
    if (index < 0 || index > 5 || size < 4 || (size & (size - 1)) != 0) {
        throw std::invalid_argument("BAR index or size not valid");
    }
    const size_t at = 0x10 + 4 * static_cast<size_t>(index);
    m_space.set32(at, (address & ~3u) | 1u);
    m_space.set_attr(at, 4, ~(size - 1) & ~3u);
    return *this;
}

ConfigBuilder& ConfigBuilder::capability(uint8_t id, size_t len, size_t at) {
    const size_t o = at != 0 ? at : m_next_cap;
    if (o < 0x40 || o % 4 != 0 || len < 2 || o + len > ConfigSpace::kLegacySize) {
        throw std::length_error("capability does not fit the configuration header");
    }
    m_space.set8(o, id);
    m_space.set8(o + 1, 0);
    if (m_caps.empty()) {
        m_space.set8(0x34, static_cast<uint8_t>(o));
        m_space.set16(0x06, m_space.get16(0x06) | 0x0010);  // Capabilities List
    } else {
        m_space.set8(m_caps.back() + 1, static_cast<uint8_t>(o));
    }
    m_caps.push_back(o);
    m_next_cap = std::max(m_next_cap, (o + len + 3) & ~size_t{3});
    m_last = o;
    mark_capability(m_space, o, id);
    return *this;
}

ConfigBuilder& ConfigBuilder::pcie_cap(PORT_TYPE_t type, size_t at) {
    capability(kPcieCapId, kPcieCapLen, at);
    m_space.set16(m_last + 2, static_cast<uint16_t>(0x0002 | ((type & 0xF) << 4)));
    return *this;
}

size_t ConfigBuilder::place_ext(uint16_t id, uint8_t version, size_t len, size_t at) {
    const size_t o = at != 0 ? at : m_next_ext;
    if (m_space.size() <= ConfigSpace::kLegacySize || o < 0x100 || o % 4 != 0 || len < 4 ||
        o + len > m_space.size()) {
        throw std::length_error("extended capability does not fit the configuration space");
    }
    if (m_ext_caps.empty() && o != 0x100) {
        throw std::invalid_argument("the extended capability chain starts at 0x100");
    }
    m_space.set32(o, uint32_t{id} | (uint32_t{version} & 0xF) << 16);
    if (!m_ext_caps.empty()) {
        const size_t prev = m_ext_caps.back();
        m_space.set32(prev, (m_space.get32(prev) & 0x000FFFFF) | static_cast<uint32_t>(o) << 20);
    }
    m_ext_caps.push_back(o);
    m_next_ext = std::max(m_next_ext, (o + len + 3) & ~size_t{3});
    m_last = o;
    return o;
}

ConfigBuilder& ConfigBuilder::ext_cap(uint16_t id, uint8_t version, size_t len, size_t at) {
    mark_ext_capability(m_space, place_ext(id, version, len, at), id);
    return *this;
}

ConfigBuilder& ConfigBuilder::dvsec(uint16_t dvsec_id, uint8_t revision, uint16_t length,
                                    uint16_t vendor, size_t at) {
    if (length < 0x0A || length > 0xFFF) {
        throw std::invalid_argument("DVSEC length not valid");
    }
    const size_t o = place_ext(kDvsecId, 1, length, at);
    m_space.set32(o + 4, uint32_t{vendor} | (uint32_t{revision} & 0xF) << 16 |
                             uint32_t{length} << 20);
    m_space.set16(o + 8, dvsec_id);
    mark_ext_capability(m_space, o, kDvsecId);
    return *this;
}

ConfigBuilder& ConfigBuilder::doe(size_t at) { return ext_cap(kDoeId, 1, kDoeLen, at); }

ConfigBuilder& ConfigBuilder::aer(size_t at) { return ext_cap(kAerId, 2, kAerLen, at); }

ConfigBuilder& ConfigBuilder::reg(size_t rel, uint64_t value, size_t bytes) {
    m_space.set(m_last + rel, value, bytes);
    return *this;
}

ConfigBuilder& ConfigBuilder::set(size_t offset, uint64_t value, size_t bytes) {
    m_space.set(offset, value, bytes);
    return *this;
}

ConfigBuilder& ConfigBuilder::attr(size_t offset, size_t bytes, uint64_t rw, uint64_t rw1c) {
    m_space.set_attr(offset, bytes, rw, rw1c);
    return *this;
}

}  // namespace sim
}  // namespace tarvo
