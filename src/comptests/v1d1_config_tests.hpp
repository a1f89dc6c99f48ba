#pragma once

#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

namespace tarvo {
namespace compliance {
namespace v1d1 {

// CXL 1.1 configuration-space test cases. Each reaches the function named
// by the bundle's target through hardware-access objects of its own; only
// CFG_5 and CFG_13 write to the device, and both put back what they wrote.

// PCIe DVSEC for CXL devices: presence, header, Flex Bus capability and
// control.
core::TestResult CFG_1(core::Testools& tt);
core::TestResult CFG_2(core::Testools& tt);
core::TestResult CFG_3(core::Testools& tt);
core::TestResult CFG_4(core::Testools& tt);

// Configuration lock against the lockable control bits; the memory type
// fields of ranges 1 and 2.
core::TestResult CFG_5(core::Testools& tt);
core::TestResult CFG_6(core::Testools& tt);
core::TestResult CFG_7(core::Testools& tt);

// Host bridge RCRB from the ACPI CEDT and the MEMBAR0 of its two ports.
core::TestResult CFG_8(core::Testools& tt);

// HDM data kept through a Function Level Reset; AER extended capability.
core::TestResult CFG_13(core::Testools& tt);
core::TestResult CFG_14(core::Testools& tt);

}  // namespace v1d1
}  // namespace compliance
}  // namespace tarvo
