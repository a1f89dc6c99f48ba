// Tests of the PCIe DVSEC for CXL devices: header, capability, control,
// configuration lock and capability 2.

#include <sstream>
#include <string>
#include <vector>

#include "comptests/cfg_support.hpp"
#include "comptests/config_tests.hpp"
#include "core/devices/devcomp.hpp"
#include "core/io/hwio/cxl_registers.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

using support::field;
using support::hex_record;
using support::judge;
using support::mismatch_record;

namespace {

const char* const kNoDeviceDvsec = "Fail to find PCIe DVSEC for CXL Device";

// Locates the PCIe DVSEC for CXL devices; 0 when found.
int find_device_dvsec(core::Testools& tt, uint64_t& base) {
    return tt.device->GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, base);
}

}  // namespace

core::TestResult CFG_4(core::Testools& tt) {
    tt.messenger->info_msg("DVSEC Control Structure Test launched");
    uint64_t CXL_DEVICE_DVSEC_BASE = 0;
    if (find_device_dvsec(tt, CXL_DEVICE_DVSEC_BASE) != 0)
        return core::FailingTestResult(kNoDeviceDvsec);

    int fail = 0;
    tt.messenger->info_msg("Reading Designated Vendor-Specific Header1");
    core::DVSECHeader1 h1;
    if (tt.device->ReadPCI(CXL_DEVICE_DVSEC_BASE, h1) != 0)
        return core::FailingTestResult("Fail to read DVSECHeader1");
    support::judge_header1(tt, h1, 1, 0x38, fail);

    tt.messenger->info_msg("Reading Designated Vendor-Specific Header2");
    core::DVSECHeader2 h2;
    if (tt.device->ReadPCI(CXL_DEVICE_DVSEC_BASE, h2) != 0)
        return core::FailingTestResult("Fail to read DVSECHeader2");
    const uint64_t id = field(h2, "DVSECID");
    judge(tt, id == PCIE_DVSEC_FOR_CXL_DEV, mismatch_record("DVSECID", 0, id), fail);

    if (fail) return core::FailingTestResult("");
    return core::PassingTestResult("");
}

core::TestResult CFG_5(core::Testools& tt) {
    uint64_t CXL_DEVICE_DVSEC_BASE = 0;
    if (find_device_dvsec(tt, CXL_DEVICE_DVSEC_BASE) != 0)
        return core::FailingTestResult(kNoDeviceDvsec);
    tt.messenger->info_msg("DVSEC CXL Capability Test launched");

    tt.messenger->info_msg("Reading DVSEC CXL Capability");
    core::DVSECFlexBusCap cap;
    if (tt.device->ReadPCI(CXL_DEVICE_DVSEC_BASE, cap) != 0)
        return core::FailingTestResult("Fail to read DVSEC CXL Capability");

    tt.messenger->info_msg("CXL Device Capability:");
    std::stringstream listing;
    listing << std::hex << "\n";
    for (const char* name : {"CacheCapable", "IOCapable", "MemCapable", "MemHwInitMode", "HDMCount",
                             "CXLResetCapable", "CXLResetTimeout"})
        listing << name << ": " << field(cap, name) << "\n";
    tt.messenger->info_msg(listing.str());

    int fail = 0;
    const uint64_t io_capable = field(cap, "IOCapable");
    judge(tt, io_capable == 1,
          hex_record("Mismatch field IO_Capable expected:0x01 read:0x", io_capable), fail);

    const uint64_t rd_MEM_CAPABLE = field(cap, "MemCapable");
    const uint64_t hdm_count = field(cap, "HDMCount");
    judge(tt, hdm_count != 3, "HDM_COUNT cannot have value of 0x03", fail);
    judge(tt, !(rd_MEM_CAPABLE != 0 && hdm_count == 0),
          "HDM_COUNT cannot have value of 0x00 when MEM_Capable is 0x01.", fail);
    judge(tt, !(rd_MEM_CAPABLE == 0 && hdm_count != 0),
          "HDM_COUNT cannot have non-zero value when MEM_Capable is 0x00.", fail);

    const uint64_t rd_cxl_reset_capable = field(cap, "CXLResetCapable");
    const uint64_t reset_timeout = field(cap, "CXLResetTimeout");
    std::stringstream timeout_record;
    timeout_record << std::hex << "CXLResetTimeout 0x" << reset_timeout
                   << " is not allowed to be >100b when CXL Reset Capable is 0x1\n";
    judge(tt, !(rd_cxl_reset_capable != 0 && reset_timeout > 4), timeout_record.str(), fail);

    if (fail) return core::FailingTestResult("DVSEC CXL Capability Test Fail");
    return core::PassingTestResult("");
}

core::TestResult CFG_6(core::Testools& tt) {
    uint64_t CXL_DEVICE_DVSEC_BASE = 0;
    if (find_device_dvsec(tt, CXL_DEVICE_DVSEC_BASE) != 0)
        return core::FailingTestResult(std::string(kNoDeviceDvsec) + "\n");
    tt.messenger->info_msg("DVSEC CXL Control Test launched");

    tt.messenger->info_msg("Reading CXL Control Offset");
    core::DVSECFlexBusControl control;
    if (tt.device->ReadPCI(CXL_DEVICE_DVSEC_BASE, control) != 0)
        return core::FailingTestResult("Fail to read DVSECFlexBusControl");

    int fail = 0;
    judge(tt, field(control, "IOEnable") == 1, "IOEnable is 0. Expected to be 1", fail);
    judge(tt, field(control, "CacheSFGranularity") != 7,
          "Cache_SF_Granularity cannot have value of 0x07", fail);

    if (fail) return core::FailingTestResult("Cache SF Granularity or IOEnable check fail");
    return core::PassingTestResult("");
}

namespace {

// One register that the lock test inverts and restores.
struct LockedRegister {
    core::Register& reg;
    uint64_t saved;
};

// Writes every register of regs back with its saved value, in order, also
// past a failed write, so that as much as possible is restored. Returns the
// failure text of the first write that failed, or an empty text.
std::string restore(core::Testools& tt, uint64_t base, std::vector<LockedRegister>& regs) {
    std::string first_failure;
    for (LockedRegister& r : regs) {
        r.reg.SetValue(r.saved);
        if (tt.device->WritePCI(base, r.reg) != 0 && first_failure.empty())
            first_failure = "Fail to write " + r.reg.GetName();
    }
    return first_failure;
}

// Ends the lock test early: restores what was inverted, logging a restore
// that failed, and returns the failure that ended the test.
core::TestResult abandon(core::Testools& tt, uint64_t base, std::vector<LockedRegister>& regs,
                         const std::string& failure) {
    const std::string restore_failure = restore(tt, base, regs);
    if (!restore_failure.empty()) tt.messenger->fail_msg(restore_failure);
    return core::FailingTestResult(failure);
}

const char* const kControlFields[] = {"CacheEnable",        "MemEnable",          "CacheSFCoverage",
                                      "CacheSFGranularity", "CacheCleanEviction", "ViralEnable"};

// How each compared field is named in the lock test's records.
struct LockFinding {
    const char* locked;
    const char* unlocked;
};

const LockFinding kControlFindings[] = {
    {"CONFIG_LOCK = 1. R1 != R2 for CacheEnable writing inverted values.",
     "CONFIG_LOCK = 0. R1 == R2 for CacheEnable writing inverted values."},
    {"CONFIG_LOCK = 1. R1 != R2 for MemEnable writing inverted values.",
     "CONFIG_LOCK = 0. R1 == R2 for MemEnable writing inverted values."},
    {"CONFIG_LOCK = 1. R1 != R2 for Cache SF Coverage writing inverted values.",
     "CONFIG_LOCK = 0. R1 == R2 for Cache SF Coverage writing inverted values."},
    {"CONFIG_LOCK = 1. R1 != R2 for Cache SF Granularity after writing inverted values.",
     "CONFIG_LOCK = 0. R1 == R2 for Cache SF Granularity after writing inverted values."},
    {"CONFIG_LOCK = 1. R1 != R2 for Cache Clean Eviction writing inverted values.",
     "CONFIG_LOCK = 0. R1 == R2 for Cache Clean Eviction writing inverted values."},
    {"CONFIG_LOCK = 1. R1 != R2 for Viral Enable writing inverted values.",
     "CONFIG_LOCK = 0. R1 == R2 for Viral Enable writing inverted values."},
};

std::string base_finding(bool locked, int range, const char* half) {
    return std::string(locked ? "CONFIG_LOCK = 1. R1 != R2 for Range"
                              : "CONFIG_LOCK = 0. R1 == R2 for Range") +
           std::to_string(range) + " " + half + " after writing inverted values.";
}

}  // namespace

core::TestResult CFG_7(core::Testools& tt) {
    uint64_t base = 0;
    if (find_device_dvsec(tt, base) != 0)
        return core::FailingTestResult(std::string(kNoDeviceDvsec) + "\n");
    tt.messenger->info_msg("DVSEC CXL Lock Test launched");

    core::DVSECFlexBusControl control;
    core::DVSECFlexBusLock lock;
    core::DVSECFlexBusCap cap;
    core::DVSECFlexBusRange1BaseHigh range1_high;
    core::DVSECFlexBusRange1BaseLow range1_low;
    core::DVSECFlexBusRange2BaseHigh range2_high;
    core::DVSECFlexBusRange2BaseLow range2_low;
    core::Register* const ranges[] = {&range1_high, &range1_low, &range2_high, &range2_low};

    tt.messenger->info_msg("Reading CXL Control Offset");
    if (tt.device->ReadPCI(base, control) != 0)
        return core::FailingTestResult("Fail to read DVSECFlexBusControl");
    uint64_t control_r1[6];
    for (int i = 0; i < 6; ++i) control_r1[i] = field(control, kControlFields[i]);

    // An unreadable lock ends the test before anything is written; the lock
    // is judged as read after the writes.
    if (tt.device->ReadPCI(base, lock) != 0)
        return core::FailingTestResult("Fail to read DVSECFlexBusLock_reg");

    if (tt.device->ReadPCI(base, cap) != 0)
        return core::FailingTestResult("Fail to read DVSECFlexBusCap_reg");
    const bool two_ranges = field(cap, "HDMCount") == 2;

    for (core::Register* r : ranges)
        if (tt.device->ReadPCI(base, *r) != 0)
            return core::FailingTestResult("Fail to read " + r->GetName());

    // The registers taking part, in writing order, with their saved values.
    const size_t range_count = two_ranges ? 4 : 2;
    std::vector<LockedRegister> saved{{control, control.GetValue()}};
    for (size_t i = 0; i < range_count; ++i) saved.push_back({*ranges[i], ranges[i]->GetValue()});
    std::vector<uint64_t> base_r1;
    for (size_t i = 0; i < range_count; ++i)
        base_r1.push_back(field(*ranges[i], i % 2 == 0 ? "MemoryBaseHigh" : "MemoryBaseLow"));

    // Write the complement of every saved register. From the first write on,
    // every way out writes back each register that took its inverted value.
    std::vector<LockedRegister> written;
    for (LockedRegister& r : saved) {
        r.reg.SetValue(~r.saved);
        if (tt.device->WritePCI(base, r.reg) != 0)
            return abandon(tt, base, written,
                           "Fail to write " + r.reg.GetName() + " with inverted value");
        written.push_back(r);
    }

    if (tt.device->ReadPCI(base, control) != 0)
        return abandon(tt, base, written, "Fail to read DVSECFlexBusControl");
    if (tt.device->ReadPCI(base, lock) != 0)
        return abandon(tt, base, written, "Fail to read DVSECFlexBusLock_reg");
    for (size_t i = 0; i < range_count; ++i)
        if (tt.device->ReadPCI(base, *ranges[i]) != 0)
            return abandon(tt, base, written, "Fail to read " + ranges[i]->GetName());

    // Locked: nothing may change. Unlocked: every field must take the write.
    const bool locked = field(lock, "ConfigLock") == 1;
    int fail = 0;
    auto compare = [&](uint64_t r1, uint64_t r2, const std::string& locked_text,
                       const std::string& unlocked_text) {
        if (locked)
            judge(tt, r1 == r2, locked_text, fail);
        else
            judge(tt, r1 != r2, unlocked_text, fail);
    };
    for (int i = 0; i < 6; ++i)
        compare(control_r1[i], field(control, kControlFields[i]), kControlFindings[i].locked,
                kControlFindings[i].unlocked);
    for (size_t i = 0; i < range_count; ++i) {
        const char* half = i % 2 == 0 ? "MemoryBaseHigh" : "MemoryBaseLow";
        const int range = static_cast<int>(i / 2) + 1;
        compare(base_r1[i], field(*ranges[i], half), base_finding(true, range, half),
                base_finding(false, range, half));
    }

    const std::string restore_failure = restore(tt, base, written);
    if (!restore_failure.empty()) return core::FailingTestResult(restore_failure);
    if (fail) return core::FailingTestResult("Lock Test fail");
    return core::PassingTestResult("");
}

core::TestResult CFG_8(core::Testools& tt) {
    uint64_t CXL_DEVICE_DVSEC_BASE = 0;
    if (find_device_dvsec(tt, CXL_DEVICE_DVSEC_BASE) != 0)
        return core::FailingTestResult(std::string(kNoDeviceDvsec) + "\n");
    tt.messenger->info_msg("DVSEC CXL Capability2 Test Launched");

    core::DVSECFlexBusCap cap;
    if (tt.device->ReadPCI(CXL_DEVICE_DVSEC_BASE, cap) != 0)
        return core::FailingTestResult("Fail to read DVSEC CXL Capability");
    const uint64_t cache_capable = field(cap, "CacheCapable");

    core::DVSECCXLCapability2 cap2;
    if (tt.device->ReadPCI(CXL_DEVICE_DVSEC_BASE, cap2) != 0)
        return core::FailingTestResult("Fail to read DVSECCXLCapability2");
    const uint64_t unit = field(cap2, "CacheSizeUnit");

    int fail = 0;
    judge(tt, !(cache_capable == 0 && unit != 0),
          "CacheSizeUnit expected to be 0 when CacheCapable is 0.", fail);
    judge(tt, !(cache_capable == 1 && unit == 0),
          "CacheSizeUnit expected to be non-zero when CacheCapable is 1.", fail);
    judge(tt, unit <= 2, "CacheSizeUnit register value cannot be > 2", fail);

    if (fail) return core::FailingTestResult("DVSEC CXL Capability2 Test Fail");
    return core::PassingTestResult("");
}

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
