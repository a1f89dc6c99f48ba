#pragma once

#include <cstdint>
#include <vector>

#include "common/cxl_types.hpp"
#include "core/devices/targetinformation.hpp"

namespace tarvo {
namespace io {

// Finds capability structures in the configuration space of the function a
// target description names. Each lookup makes its own hardware-access object
// and drops it when it returns. Lookups return 0 when found (the offset is
// stored) and -1 otherwise (the output is left as it was).
class OffsetRetriever {
public:
    explicit OffsetRetriever(core::TargetInformation& p_target);

    // Capability list that starts at the Capabilities Pointer.
    int capability_offset(PCI_CAP_TYPE_t captype, uint64_t& offset) const;
    // Extended capability list from 0x100, first header with the ID.
    int ext_capability_offset(PCI_CAP_TYPE_t captype, uint64_t& offset) const;
    // Appends every extended capability with the ID, in list order; 0 when
    // the walk reached the end of the list, -1 when it was cut short.
    int ext_capability_offsets(PCI_CAP_TYPE_t captype, std::vector<uint64_t>& offsets) const;
    // The CXL DVSEC (vendor 0x1E98) with the DVSEC ID.
    int dvsec_offset(DVSEC_ID_t dvsecid, uint64_t& offset) const;

private:
    core::TargetInformation m_target;
};

}  // namespace io
}  // namespace tarvo
