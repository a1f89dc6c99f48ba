#pragma once

#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

// CXL 2.0 configuration-space test cases. Each examines one structure of the
// device under test found through the bundle and returns its verdict; only
// CFG_7 writes to the device, and it restores what it wrote.

// Presence: port type and CXL device DVSEC, CXL DVSECs, DOE protocols.
core::TestResult CFG_1(core::Testools& tt);
core::TestResult CFG_2(core::Testools& tt);
core::TestResult CFG_3(core::Testools& tt);

// PCIe DVSEC for CXL devices: header, capability, control, lock, capability 2.
core::TestResult CFG_4(core::Testools& tt);
core::TestResult CFG_5(core::Testools& tt);
core::TestResult CFG_6(core::Testools& tt);
core::TestResult CFG_7(core::Testools& tt);
core::TestResult CFG_8(core::Testools& tt);

// Non-CXL Function Map, Extensions DVSEC for Ports, GPF DVSECs.
core::TestResult CFG_9(core::Testools& tt);
core::TestResult CFG_10(core::Testools& tt);
core::TestResult CFG_11(core::Testools& tt);
core::TestResult CFG_12(core::Testools& tt);
core::TestResult CFG_13(core::Testools& tt);
core::TestResult CFG_14(core::Testools& tt);
core::TestResult CFG_15(core::Testools& tt);
core::TestResult CFG_16(core::Testools& tt);

// Flex Bus Port, Register Locator and MLD DVSECs.
core::TestResult CFG_18(core::Testools& tt);
core::TestResult CFG_19(core::Testools& tt);
core::TestResult CFG_20(core::Testools& tt);
core::TestResult CFG_21(core::Testools& tt);
core::TestResult CFG_22(core::Testools& tt);

// CDAT access through the table-access DOE mailbox; the skipped test.
core::TestResult CFG_23(core::Testools& tt);
core::TestResult CFG_24(core::Testools& tt);

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
