#pragma once

#include <cstdint>
#include <functional>

#include "common/cxl_types.hpp"
#include "core/io/hwio/register.hpp"

namespace tarvo {
namespace io {

// The capability-list walks of one function's configuration space, shared by
// io::OffsetRetriever and core::DevComp, which differ only in how they read a
// register. Every walk is bounded by the list's own limit and by the set of
// offsets it has already visited, so a malformed or looping list on the
// device ends the walk as "not found" instead of repeating an offset.

// Reads one register of the function at base + reg.GetOffset(): 0 or -1.
using ConfigReader = std::function<int(uint64_t base, core::Register& reg)>;

// Entries of the capability list examined at most.
constexpr unsigned kMaxCapabilities = 64;
// Extended capability headers examined at most: the dword positions from
// 0x100 to the end of the 4 KiB configuration space.
constexpr unsigned kMaxExtCapabilities = 960;

// Diagnostics of a DVSEC lookup; every hook does nothing by default.
class DvsecWalkObserver {
public:
    virtual void header_read_failed() {}
    virtual void null_header() {}
    virtual void cap_id_unreadable() {}
    // A DVSEC whose two header registers were read.
    virtual void dvsec_seen(uint32_t wanted_dvsec_id, uint64_t vendor_id, uint64_t dvsec_id) {
        (void)wanted_dvsec_id;
        (void)vendor_id;
        (void)dvsec_id;
    }
    virtual ~DvsecWalkObserver() = default;
};

// The capability with Capability ID cap_id in the list that starts at the
// Capabilities Pointer: 0 and its offset, or -1 with offset untouched.
int find_capability(const ConfigReader& read, uint32_t cap_id, uint64_t& offset);

// The first extended capability with ID cap_id: 0 and its offset, or -1.
int find_ext_capability(const ConfigReader& read, uint32_t cap_id, uint64_t& offset);

// Hands the offset of every extended capability with ID cap_id to found, in
// list order. 0 when the walk reached the end of the list (whatever was
// found), -1 when a header could not be read or no valid header was there.
int find_ext_capabilities(const ConfigReader& read, uint32_t cap_id,
                          const std::function<void(uint64_t)>& found);

// The DVSEC with the CXL vendor ID and DVSEC ID dvsec_id: 0 and its offset,
// or -1 with offset untouched.
int find_dvsec(const ConfigReader& read, uint32_t dvsec_id, uint64_t& offset,
               DvsecWalkObserver* observer = nullptr);

}  // namespace io
}  // namespace tarvo
