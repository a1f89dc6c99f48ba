#pragma once

#include <cstdint>

#include "core/devices/targetinformation.hpp"

namespace tarvo {
namespace io {

// Finds the DOE mailbox of a function that serves a given data object type.
class DOEDiscoverer {
public:
    explicit DOEDiscoverer(core::TargetInformation& p_tgt);
    ~DOEDiscoverer();

    // 0 and the mailbox's capability offset in `offset` for the first
    // mailbox whose discovery lists the CXL (vendor 0x1E98) object type
    // `doetype`; 1 and `offset` untouched when no mailbox does.
    int doe_offset(int doetype, uint64_t& offset);

private:
    core::TargetInformation m_target;
};

}  // namespace io
}  // namespace tarvo
