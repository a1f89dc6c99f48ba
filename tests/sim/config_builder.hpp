#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/cxl_types.hpp"
#include "sim/sim_bus.hpp"

namespace tarvo {
namespace sim {

// Write behaviour of the standard structures, as a device would have it:
// Command and Interrupt Line read-write, Status error bits write-1-to-clear,
// the bridge fields of a type 1 header read-write; in the PCI Express
// Capability the control registers read-write and the status bits
// write-1-to-clear; AER status write-1-to-clear and masks read-write; DOE
// Control and the two mailboxes read-write, its interrupt status
// write-1-to-clear; in the CXL DVSECs the control, lock and range base
// registers read-write and DVSEC CXL Status (Viral Status) write-1-to-clear.
// Everything else stays read-only. Markers never reach outside the space or
// the structure's own length.
void mark_header(ConfigSpace& space);
void mark_capability(ConfigSpace& space, size_t offset, uint8_t id);
void mark_ext_capability(ConfigSpace& space, size_t offset, uint16_t id);
// Marks the header and every structure found on the capability list (from
// 0x34) and the extended capability list (from 0x100), following at most as
// many links as the space can hold.
void mark_known_structures(ConfigSpace& space);

// Builds a configuration space: header, capability list from 0x34,
// extended capability chain from 0x100, with the write behaviour of each
// structure marked as it is placed. Structures are linked in the order they
// are added; a placement without an offset takes the next free dword-aligned
// one (capabilities from 0x40, extended capabilities from 0x100). Bad
// placements raise std::invalid_argument or std::length_error.
//
//   ConfigSpace s = ConfigBuilder().ids(0x8086, 0x0d93).class_code(0x050210)
//       .bar(0, 0xfe600000, 0x10000, true).pcie_cap(PCIE_EP)
//       .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38).reg(0x0A, 0x001E, 2)
//       .doe().build();
class ConfigBuilder {
public:
    explicit ConfigBuilder(size_t size = ConfigSpace::kExtendedSize);

    ConfigBuilder& ids(uint16_t vendor, uint16_t device);
    // 24-bit class code (class, subclass, programming interface) and revision.
    ConfigBuilder& class_code(uint32_t code, uint8_t revision = 0);
    // 0 for an endpoint, 1 for a bridge or port; bit 7 for multi-function.
    ConfigBuilder& header_type(uint8_t type);
    // A memory BAR at index; size is a power of two of at least 16 bytes and
    // gives the read-write address bits. A 64-bit BAR takes index and index+1.
    ConfigBuilder& bar(int index, uint64_t address, uint64_t size, bool is64 = false,
                       bool prefetchable = false);
    ConfigBuilder& io_bar(int index, uint32_t address, uint32_t size);

    // A capability of len bytes (ID and next pointer included).
    ConfigBuilder& capability(uint8_t id, size_t len, size_t at = 0);
    // The PCI Express Capability (version 2) with its Device/Port Type.
    ConfigBuilder& pcie_cap(PORT_TYPE_t type, size_t at = 0);
    // An extended capability of len bytes (header included).
    ConfigBuilder& ext_cap(uint16_t id, uint8_t version, size_t len, size_t at = 0);
    // A DVSEC of length bytes (headers included).
    ConfigBuilder& dvsec(uint16_t dvsec_id, uint8_t revision, uint16_t length,
                         uint16_t vendor = CXL_DVSEC_VENDOR_ID, size_t at = 0);
    ConfigBuilder& doe(size_t at = 0);
    ConfigBuilder& aer(size_t at = 0);

    // A register of bytes (at most 8) at rel from the structure placed last.
    ConfigBuilder& reg(size_t rel, uint64_t value, size_t bytes);
    ConfigBuilder& set(size_t offset, uint64_t value, size_t bytes);
    ConfigBuilder& attr(size_t offset, size_t bytes, uint64_t rw, uint64_t rw1c = 0);

    // Offset of the structure placed last, and of all placed so far.
    size_t last() const { return m_last; }
    const std::vector<size_t>& capabilities() const { return m_caps; }
    const std::vector<size_t>& ext_capabilities() const { return m_ext_caps; }

    ConfigSpace& space() { return m_space; }
    ConfigSpace build() const { return m_space; }

private:
    size_t place_ext(uint16_t id, uint8_t version, size_t len, size_t at);

    ConfigSpace m_space;
    std::vector<size_t> m_caps;
    std::vector<size_t> m_ext_caps;
    size_t m_next_cap = 0x40;
    size_t m_next_ext = 0x100;
    size_t m_last = 0;
};

}  // namespace sim
}  // namespace tarvo
