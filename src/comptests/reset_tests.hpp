#pragma once

#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

// HDM data kept through a Function Level Reset of the bundle's target. The
// memory it overwrites is put back once the check is done.
core::TestResult RST_6(core::Testools& tt);

// CXL Reset: the device advertises it with a permitted timeout, its CXL RAS
// and Link registers are recorded and programmed, the reset is started and
// must report completion without error once its timeout has passed. The
// programmed registers are put back when the test ends before the reset was
// started; after that the reset owns them.
core::TestResult RST_7(core::Testools& tt);

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
