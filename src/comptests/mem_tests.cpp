#include "comptests/mem_tests.hpp"

#include <optional>
#include <string>
#include <utility>

#include "comptests/cfg_support.hpp"
#include "core/devices/devcomp.hpp"
#include "core/io/hwio/cxl_registers.hpp"

namespace comptests2_0 {

using tarvo::core::Register;
using tarvo::core::TestResult;
using tarvo::core::Testools;
using tarvo::compliance::v2d0::support::field;
// Every text of these tests ends in an end of line.
using tarvo::compliance::v2d0::support::line;

namespace {

TestResult failed(Testools& tt, const char* text) {
    const std::string msg = line(text);
    tt.messenger->fail_msg(msg);
    return tarvo::core::FailingTestResult(msg);
}

bool find_device_dvsec(Testools& tt, uint64_t& dvsec) {
    return tt.device && tt.device->GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, dvsec) == 0;
}

// Memory Class 0 or 1 and Desired Interleave 0, 1 or 2 of a range's Size Low
// register: the failure of the first that is outside, if any.
std::optional<TestResult> check_class_and_interleave(Testools& tt, const Register& size_low,
                                                     const char* class_text,
                                                     const char* interleave_text) {
    if (field(size_low, "MemoryClass") > 1) {
        return failed(tt, class_text);
    }
    if (field(size_low, "DesiredInterleave") > 2) {
        return failed(tt, interleave_text);
    }
    return std::nullopt;
}

}  // namespace

TestResult MEM_1(Testools& tt) {
    uint64_t dvsec = 0;
    if (!find_device_dvsec(tt, dvsec)) {
        return failed(tt, "Fail to find PCIe DVSEC for CXL Device");
    }
    tarvo::core::DVSECFlexBusRange1SizeLow size_low;
    if (tt.device->ReadPCI(dvsec, size_low) != 0) {
        return failed(tt, "Fail to read DVSECFlexBusRange1SizeLow");
    }
    if (auto failure = check_class_and_interleave(
            tt, size_low, "Memory_Class register different of 0x0 and 0x1.",
            "Desired_Interleave register different of 0x0, 0x1 or 0x2.")) {
        return std::move(*failure);
    }
    return tarvo::core::PassingTestResult("PASS");
}

TestResult MEM_2(Testools& tt) {
    uint64_t dvsec = 0;
    if (!find_device_dvsec(tt, dvsec)) {
        return failed(tt, "Fail to find PCIe DVSEC for CXL Device");
    }
    tarvo::core::DVSECFlexBusCap cap;
    if (tt.device->ReadPCI(dvsec, cap) != 0) {
        return failed(tt, "Fail to read DVSECFlexBusCap.");
    }
    if (field(cap, "MemCapable") != 1) {
        return failed(tt, "Device is not MemCapable to run this test.");
    }
    if (field(cap, "HDMCount") != 2) {
        const std::string msg = line("Device doesn't support two HDM ranges.");
        tt.messenger->warn_msg(msg);
        return tarvo::core::FinishedNotSupportedTestResult(msg);
    }
    tarvo::core::DVSECFlexBusRange2SizeLow size_low;
    if (tt.device->ReadPCI(dvsec, size_low) != 0) {
        return failed(tt, "Fail to read DVSECFlexBusRange2SizeLow.");
    }
    const uint64_t media = field(size_low, "MediaType");
    if (media != 0 && media != 1 && media != 7) {
        return failed(tt, "Media Type register different to 0x0, 0x1 or 0x7.");
    }
    if (auto failure = check_class_and_interleave(
            tt, size_low, "Memory class register different to 0x0 or 0x1.",
            "Desired interleave register different to 0x0, 0x1 or 0x2.")) {
        return std::move(*failure);
    }
    return tarvo::core::PassingTestResult("PASS");
}

}  // namespace comptests2_0
