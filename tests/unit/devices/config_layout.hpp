#pragma once

// Small writers of configuration-space structures for the device tests: they
// place raw capability-list entries, extended capability headers and DVSEC
// headers, so a test can also build malformed or looping lists.

#include <cstdint>

#include "common/cxl_types.hpp"
#include "core/devices/targetinformation.hpp"
#include "sim/sim_bus.hpp"

namespace tarvo {
namespace devtest {

// Capability-list entry at off: ID and next pointer.
inline void cap(sim::ConfigSpace& cfg, uint32_t off, uint8_t id, uint8_t next) {
    cfg.set8(off, id);
    cfg.set8(off + 1, next);
}

// PCI Express Capability at off with the given Device/Port Type.
inline void pcie_cap(sim::ConfigSpace& cfg, uint32_t off, uint8_t next, PORT_TYPE_t type) {
    cap(cfg, off, PCIE_CAP_STRUCTURE, next);
    cfg.set16(off + 2, static_cast<uint16_t>(0x2 | (type << 4)));
}

// Extended capability header at off: ID, version 1, next offset.
inline void ext(sim::ConfigSpace& cfg, uint32_t off, uint16_t id, uint32_t next) {
    cfg.set32(off, id | (1u << 16) | (next << 20));
}

// DVSEC at off with the vendor and DVSEC ID.
inline void dvsec(sim::ConfigSpace& cfg, uint32_t off, uint16_t vendor, uint16_t dvsec_id,
                  uint32_t next) {
    ext(cfg, off, DVSEC_CAP_ID, next);
    cfg.set32(off + 4, vendor | (1u << 16) | (0x38u << 20));
    cfg.set16(off + 8, dvsec_id);
}

inline void cxl_dvsec(sim::ConfigSpace& cfg, uint32_t off, DVSEC_ID_t id, uint32_t next) {
    dvsec(cfg, off, CXL_DVSEC_VENDOR_ID, id, next);
}

// Vendor and device ID of the header.
inline void ids(sim::ConfigSpace& cfg, uint16_t vendor, uint16_t device) {
    cfg.set16(0, vendor);
    cfg.set16(2, device);
}

// A target description that names only a function.
inline core::TargetInformation target_at(SBDF sbdf) {
    return core::TargetInformation("", "", 0, 0, "", core::GT16, core::x4, core::endpoint,
                                   core::cem, false, "", PCIE_EP, core::type1, false, false,
                                   sbdf, false);
}

}  // namespace devtest
}  // namespace tarvo
