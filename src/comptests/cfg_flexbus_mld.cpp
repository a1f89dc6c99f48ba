// Tests of the PCIe DVSEC for Flex Bus Port, the Register Locator DVSEC and
// the MLD DVSEC.

#include "comptests/cfg_support.hpp"
#include "comptests/config_tests.hpp"
#include "core/devices/devcomp.hpp"
#include "core/io/hwio/cxl_registers.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

using support::failed_with;
using support::field;

namespace {

const char* const kMldLaunch = "MLD DVSEC Capability Header";
const char* const kNoMld = "Fail to find MLD Capability.";

}  // namespace

core::TestResult CFG_18(core::Testools& tt) {
    return support::run_header_test(
        tt, {"Flex Bus Port DVSEC Capability Test launched",
             Flex_Bus_Port_DVSEC,
             "Fail to find Felx Bus Port DVSEC Capability Header.",
             false,
             "Fail to read DVSECHeader1/2.",
             {{"DVSECRev", 1, "Mismatch field DVSECREV expected:0x1, read:0x"},
              {"DVSECLen", 0x14, "Mismatch field DVSECLEN expected:0x14, read:0x"},
              {"DVSECID", Flex_Bus_Port_DVSEC, "Mismatch field DVSECID expected:0x07, read:0x"}}});
}

core::TestResult CFG_19(core::Testools& tt) {
    uint64_t base = 0;
    if (!support::launch_and_find(tt, "Flex Bus Port Capability Test launched", Flex_Bus_Port_DVSEC,
                                  "Fail to find Flex Bus DVSEC for CXL Device", base))
        return core::FailingTestResult("");
    core::DVSECFlexBusPortCapability cap;
    if (tt.device->ReadPCI(base, cap) != 0)
        return failed_with(tt, "Fail to read DVSECFlexBusPortCapability_reg.");
    if (field(cap, "IOCapable") != 1)
        return failed_with(tt,
                           "DVSEC Flex Bus Port Capability value for IO_Capable doesn't match.");
    if (field(cap, "CXL2p0Capable") != 1)
        return failed_with(tt,
                           "DVSEC Flex Bus Port Capability value for CXL2p0Capable doesn't match.");
    return core::PassingTestResult("");
}

core::TestResult CFG_20(core::Testools& tt) {
    return support::run_header_test(
        tt, {"Register Locator Test launched",
             REG_LOCATOR_DVSEC,
             "Fail to find Register Locator DVSEC.",
             false,
             "Fail to read DVSECHeader1/2.",
             {{"DVSECRev", 0, "Mismatch field DVSECREV expected:0x0, read:0x"},
              {"DVSECLen", 0, "DVSECLEN read:0x", false},
              {"DVSECID", REG_LOCATOR_DVSEC, "Mismatch field DVSECID expected:0x08, read:0x"}}});
}

core::TestResult CFG_21(core::Testools& tt) {
    return support::run_header_test(
        tt, {kMldLaunch,
             CXL_MLD_DVSEC,
             kNoMld,
             true,
             "Fail to read DVSECHeader1/2.",
             {{"DVSECRev", 0, "Mismatch field DVSECREV expected:0x0, read:0x"},
              {"DVSECLen", 0x10, "Mismatch field DVSECLEN expected:0x10, read:0x"},
              {"DVSECID", CXL_MLD_DVSEC, "Mismatch field DVSECID expected:0x09, read:0x"}}});
}

core::TestResult CFG_22(core::Testools& tt) {
    tt.messenger->info_msg(kMldLaunch);
    uint64_t base = 0;
    if (tt.device->GetDVSECOffset(CXL_MLD_DVSEC, base) != 0) {
        tt.messenger->warn_msg(kNoMld);
        return core::FinishedNotSupportedTestResult("");
    }
    core::NumberOfLDSupported lds;
    if (tt.device->ReadPCI(base, lds) != 0)
        return failed_with(tt, "Fail to read NumberOfLDSupported_reg.");
    const uint64_t count = field(lds, "NumberOfLDsSupported");
    if (count == 0 || count > 16)
        return failed_with(tt, "NumberOfLDsSupported register value not matching criteria.");
    return core::PassingTestResult("");
}

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
