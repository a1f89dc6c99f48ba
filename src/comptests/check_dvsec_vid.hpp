#pragma once

#include <cstdint>

#include "common/cxl_types.hpp"
#include "core/testcases/testools.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

// Locates the DVSEC dvsecid on the bundle's device and checks the vendor ID
// of its first header register: 0 found with the CXL vendor ID (dvsecbase
// holds its offset), -1 not found, -2 header not readable, -3 another vendor.
int check_dvsec_vid(core::Testools& tt, DVSEC_ID_t dvsecid, uint64_t& dvsecbase);

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
