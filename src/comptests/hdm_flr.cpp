#include "comptests/hdm_flr.hpp"

#include <chrono>
#include <cstdint>
#include <string>

#include "common/cxl_types.hpp"
#include "common/sleep.hpp"
#include "common/utility.hpp"
#include "comptests/buffer_convert.hpp"
#include "comptests/cfg_support.hpp"
#include "comptests/v1d1_support.hpp"
#include "core/io/hwio/cxl_registers.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace compliance {

using v2d0::support::field;

namespace {

constexpr uint64_t kHdmWriteData = 0xDEADBEEF;
constexpr int kHdmBytes = 8;
// Time the function is given to come out of the reset.
constexpr std::chrono::milliseconds kFlrSettleTime{1000};

std::string at_address(const char* text, uint64_t hdm_address) {
    return text + to_hexstr(hdm_address);
}

// The pattern round at hdm_address: write, reset, wait, read back, compare.
// written tells whether the pattern reached the memory.
core::TestResult pattern_round(core::Testools& tt, TargetDvsec& dvsec, uint64_t hdm_address,
                               bool& written) {
    core::hwio& hw = *dvsec.hw();
    unsigned char buf[kHdmBytes] = {};
    convert_to_buf(buf, kHdmWriteData, kHdmBytes);
    tt.messenger->info_msg("Write memory with hdm_dummy data");
    if (hw.WritePhysMem(buf, hdm_address, kHdmBytes) == 0) {
        return core::FailingTestResult(at_address("Fail to write to hdm_address: ", hdm_address));
    }
    written = true;

    tt.messenger->info_msg("Initiate FLR");
    uint64_t pcie_cap = 0;
    if (dvsec.retriever().capability_offset(PCIE_CAP_STRUCTURE, pcie_cap) != 0) {
        return core::FailingTestResult("Fail to find PCIe Capability Structure");
    }
    // Device Control receives Initiate FLR alone.
    core::DeviceControlRegister devctl;
    devctl.SetFieldbyName("InitiateFLR", 1);
    if (dvsec.write_at(pcie_cap, devctl) != 0) {
        // Without the reset the read-back would prove nothing.
        return core::FailingTestResult("Fail to initiate FLR");
    }
    sleep_for(kFlrSettleTime);

    unsigned char back[kHdmBytes] = {};
    if (hw.ReadPhysMem(back, hdm_address, kHdmBytes) == 0) {
        return core::FailingTestResult(at_address("Fail to read hdm_address: ", hdm_address));
    }
    const uint64_t hdm_read_data = convert_from_buf(back, kHdmBytes);
    if (hdm_read_data != kHdmWriteData) {
        return core::FailingTestResult(
            "Data wrote to HDM is expected to be preserved through FLR. Written: " +
            to_hexstr(kHdmWriteData) + " Read: " + to_hexstr(hdm_read_data));
    }
    return core::PassingTestResult("");
}

}  // namespace

core::TestResult run_hdm_flr_preservation(core::Testools& tt, const HdmFlrTexts& texts) {
    TargetDvsec dvsec(tt);
    if (auto failed = dvsec.locate(texts.named)) {
        return std::move(*failed);
    }
    core::DVSECFlexBusCap cap;
    if (dvsec.read(cap) != 0) {
        return core::FailingTestResult(texts.cap_read_failed);
    }
    if (field(cap, "MemCapable") == 0) {
        return core::SkippedTestResult("MEM_CAPABLE = 0");
    }
    core::DVSECFlexBusRange1BaseLow base_low;
    if (dvsec.read(base_low) != 0) {
        return core::FailingTestResult("Fail to read DVSECFlexBusRange1BaseLow Register.");
    }
    core::DVSECFlexBusRange1BaseHigh base_high;
    if (dvsec.read(base_high) != 0) {
        return core::FailingTestResult(texts.base_high_read_failed);
    }
    const uint64_t hdm_address =
        (field(base_high, "MemoryBaseHigh") << 32) | (field(base_low, "MemoryBaseLow") << 28);
    // A range that has not been programmed has no memory behind it.
    if (hdm_address == 0) {
        return core::FailingTestResult(at_address("Fail to write to hdm_address: ", hdm_address));
    }

    // What the memory held before, to be put back after the round.
    core::hwio& hw = *dvsec.hw();
    unsigned char original[kHdmBytes] = {};
    if (hw.ReadPhysMem(original, hdm_address, kHdmBytes) == 0) {
        return core::FailingTestResult(at_address("Fail to read hdm_address: ", hdm_address));
    }
    bool written = false;
    core::TestResult result = pattern_round(tt, dvsec, hdm_address, written);
    if (written && hw.WritePhysMem(original, hdm_address, kHdmBytes) == 0) {
        tt.messenger->warn_msg(at_address("Fail to restore hdm_address: ", hdm_address));
    }
    return result;
}

}  // namespace compliance
}  // namespace tarvo
