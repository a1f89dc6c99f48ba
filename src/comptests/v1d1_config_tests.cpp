#include "comptests/v1d1_config_tests.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "common/utility.hpp"
#include "comptests/buffer_convert.hpp"
#include "comptests/cfg_support.hpp"
#include "comptests/hdm_flr.hpp"
#include "comptests/v1d1_support.hpp"
#include "core/io/hwio/cxl_registers.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace compliance {
namespace v1d1 {

using v2d0::support::field;

namespace {

// Reserved bits 12, 13 and 15 of DVSEC CXL Control keep their value when the
// lockable bits are inverted.
constexpr uint32_t FLEX_BUS_CONTROL_RSVD_MASK = 0xB000;

// One header field judged by CFG_2.
struct HeaderCheck {
    const char* field;
    const char* name;  // as the messenger shows it
    bool (*holds)(uint64_t);
    uint32_t expected;  // as shown
};

// Logs a mismatch (and sets fail) or a validation for one header field.
void judge_header(core::Testools& tt, const core::Register& reg, const HeaderCheck& check,
                  bool& fail) {
    const uint64_t value = field(reg, check.field);
    if (!check.holds(value)) {
        tt.messenger->mismatch_msg(check.name, static_cast<uint32_t>(value), check.expected);
        fail = true;
    } else {
        tt.messenger->validated_msg(check.name, static_cast<uint32_t>(value), check.expected);
    }
}

// What tells 1.1/CFG/6 and 1.1/CFG/7 apart.
struct RangeTest {
    const char* launch;
    const char* cap_read_failed;
    bool (*skip)(uint64_t mem_capable, uint64_t hdm_count);
    const char* skip_text;
    const char* range_read_failed;
};

// "<what> valid values are <a> or <b> only. Read <value>", and the like.
void judge_range_field(core::Testools& tt, uint64_t value, const std::vector<int>& valid,
                       const char* what, bool& fail) {
    for (int v : valid) {
        if (value == static_cast<uint64_t>(v)) {
            return;
        }
    }
    const char* separator = valid.size() == 2 ? " or " : ", ";
    std::string text = std::string(what) + " valid values are ";
    for (size_t i = 0; i < valid.size(); ++i) {
        text += (i > 0 ? separator : "") + to_hexstr(valid[i]);
    }
    text += " only.";
    text += " Read " + to_hexstr(value);
    tt.messenger->fail_msg(text);
    fail = true;
}

core::TestResult range_test(core::Testools& tt, core::Register& size_low, const RangeTest& test) {
    TargetDvsec dvsec(tt);
    if (auto failed = dvsec.locate()) {
        return std::move(*failed);
    }
    tt.messenger->info_msg(test.launch);
    core::DVSECFlexBusCap cap;
    if (dvsec.read(cap) != 0) {
        return core::FailingTestResult(test.cap_read_failed);
    }
    if (test.skip(field(cap, "MemCapable"), field(cap, "HDMCount"))) {
        return core::SkippedTestResult(test.skip_text);
    }
    if (dvsec.read(size_low) != 0) {
        return core::FailingTestResult(test.range_read_failed);
    }
    bool fail = false;
    judge_range_field(tt, field(size_low, "MediaType"), {0, 1}, "Media Type", fail);
    judge_range_field(tt, field(size_low, "MemoryClass"), {0, 1}, "Memory Class", fail);
    judge_range_field(tt, field(size_low, "DesiredInterleave"), {0, 1, 2},
                      "Desired Interleaved", fail);
    return fail ? core::TestResult(core::FailingTestResult(""))
                : core::TestResult(core::PassingTestResult(""));
}

}  // namespace

core::TestResult CFG_1(core::Testools& tt) {
    TargetDvsec dvsec(tt, false);
    if (auto failed = dvsec.locate()) {
        return std::move(*failed);
    }
    return core::PassingTestResult("");
}

core::TestResult CFG_2(core::Testools& tt) {
    TargetDvsec dvsec(tt);
    if (auto failed = dvsec.locate()) {
        return std::move(*failed);
    }
    bool fail = false;
    tt.messenger->info_msg("Reading Designated Vendor-Specific Header1");
    core::DVSECHeader1 header1;
    if (dvsec.read(header1) != 0) {
        return core::FailingTestResult("Failed to read DVSECHeader1");
    }
    const HeaderCheck header1_checks[] = {
        {"DVSECVendorID", "DVSECVID", [](uint64_t v) { return v == 0x1E98; }, 0x1E98},
        {"DVSECRev", "DVSECREV", [](uint64_t v) { return v == 0 || v == 1; }, 0},
        {"DVSECLen", "DVSECLEN", [](uint64_t v) { return v == 0x38; }, 0x38},
    };
    for (const HeaderCheck& check : header1_checks) {
        judge_header(tt, header1, check, fail);
    }
    tt.messenger->info_msg("Reading Designated Vendor-Specific Header2");
    core::DVSECHeader2 header2;
    if (dvsec.read(header2) != 0) {
        return core::FailingTestResult("Failed to read DVSECHeader2");
    }
    judge_header(tt, header2, {"DVSECID", "DVSECID", [](uint64_t v) { return v == 0; }, 0},
                 fail);
    if (fail) {
        return core::FailingTestResult("One or more mismatches found.");
    }
    return core::PassingTestResult("");
}

core::TestResult CFG_3(core::Testools& tt) {
    TargetDvsec dvsec(tt);
    if (auto failed = dvsec.locate()) {
        return std::move(*failed);
    }
    tt.messenger->info_msg("Reading Flex Bus Capability");
    core::DVSECFlexBusCap cap;
    if (dvsec.read(cap) != 0) {
        return core::FailingTestResult("Failed to read DVSECFlexBusCap");
    }
    bool fail = false;
    const uint64_t io_capable = field(cap, "IOCapable");
    const uint64_t mem_capable = field(cap, "MemCapable");
    const uint64_t hdm_count = field(cap, "HDMCount");
    if (io_capable != 1) {
        tt.messenger->mismatch_msg("IOCapable", static_cast<uint32_t>(io_capable), 1);
        fail = true;
    }
    if (hdm_count == 3) {
        tt.messenger->fail_msg("HDM_COUNT cannot have value of 0b11 at all times.");
        fail = true;
    }
    if (mem_capable != 0 && hdm_count == 0) {
        tt.messenger->fail_msg("HDM_COUNT cannot have value of 0b00 when MEM_Capable is 0x01.");
        fail = true;
    }
    if (mem_capable == 0 && hdm_count != 0) {
        tt.messenger->fail_msg("HDM_COUNT cannot be non-zero when MEM_Capable is 0x00.");
        fail = true;
    }
    if (fail) {
        return core::FailingTestResult("Mismatched values found.");
    }
    return core::PassingTestResult("");
}

core::TestResult CFG_4(core::Testools& tt) {
    TargetDvsec dvsec(tt);
    if (auto failed = dvsec.locate()) {
        return std::move(*failed);
    }
    tt.messenger->info_msg("Reading Flex Bus Control");
    core::DVSECFlexBusControl control;
    if (dvsec.read(control) != 0) {
        return core::FailingTestResult("Failed to read DVSECFlexBusControl");
    }
    const uint64_t granularity = field(control, "CacheSFGranularity");
    if (granularity == 7) {
        tt.messenger->mismatch_msg("Cache_Sf_Granularity", static_cast<uint32_t>(granularity), 7);
        return core::FailingTestResult("Mismatch cache_sf_granulairty found.");
    }
    return core::PassingTestResult("");
}

core::TestResult CFG_5(core::Testools& tt) {
    TargetDvsec dvsec(tt);
    if (auto failed = dvsec.locate()) {
        return std::move(*failed);
    }
    tt.messenger->info_msg("Reading Flex Bus Lock");
    core::DVSECFlexBusLock lock;
    if (dvsec.read(lock) != 0) {
        return core::FailingTestResult("Failed to read DVSECFlexBusLock register.");
    }
    const uint64_t config_lock = field(lock, "ConfigLock");
    tt.messenger->debug_msg(2, "Reading ConfigLock from DVSECFlexBusLock Register: " +
                                   std::to_string(config_lock));

    tt.messenger->info_msg("Reading Flex Bus Control");
    core::DVSECFlexBusControl control;
    if (dvsec.read(control) != 0) {
        return core::FailingTestResult("Failed to read DVSECFlexBusControl register");
    }
    const uint64_t R1 = control.GetValue();
    const uint64_t W1 = static_cast<uint32_t>(R1 ^ ~FLEX_BUS_CONTROL_RSVD_MASK);
    control.SetValue(W1);
    tt.messenger->info_msg("Writing Flex Bus Control");
    if (dvsec.write(control) != 0) {
        return core::FailingTestResult("Failed to write DVSECFlexBusControl");
    }

    // From here on the register holds W1 until R1 is written back.
    auto restore = [&dvsec, &control, R1] {
        control.SetValue(R1);
        return dvsec.write(control) == 0;
    };
    tt.messenger->info_msg("Reading Flex Bus Control");
    if (dvsec.read(control) != 0) {
        restore();
        return core::FailingTestResult("Failed to read DVSECFlexBusControl register");
    }
    const uint64_t R2 = control.GetValue();
    bool fail = false;
    if (config_lock != 0 && R1 != R2) {
        tt.messenger->stream_msg(
            {"When CONFIG_LOCK is set then RWL registers should remain unmodified when "
             "written. R1: 0x",
             " R2: 0x"},
            {static_cast<uint32_t>(R1), static_cast<uint32_t>(R2)});
        fail = true;
    }
    if (config_lock == 0 && R1 == R2) {
        tt.messenger->stream_msg(
            {"When CONFIG_LOCK is not set then RWL registers should be allowed to be modifed "
             "when written. R1: 0x",
             " R2: 0x:"},
            {static_cast<uint32_t>(R1), static_cast<uint32_t>(R2)});
        fail = true;
    }
    if (!restore()) {
        return core::FailingTestResult("Failed to write DVSECFlexBusControl register.");
    }
    if (fail) {
        return core::FailingTestResult("");
    }
    return core::PassingTestResult("");
}

core::TestResult CFG_6(core::Testools& tt) {
    core::DVSECFlexBusRange1SizeLow size_low;
    return range_test(tt, size_low,
                      {"Flex bus range 1 launched", "Fail to read DVSECFlexBusCap",
                       [](uint64_t mem_capable, uint64_t) { return mem_capable == 0; },
                       "MEM_CAPABLE = 0", "Fail to read DVSECFlexBusRange1SizeLow Register"});
}

core::TestResult CFG_7(core::Testools& tt) {
    core::DVSECFlexBusRange2SizeLow size_low;
    return range_test(tt, size_low,
                      {"Flex bus range 2 launched", "Fail to read DVSECFlexBusCap Register",
                       [](uint64_t mem_capable, uint64_t hdm_count) {
                           return mem_capable == 0 && hdm_count != 2;
                       },
                       "MEM_Capable = 0 and HDM_COUNT != 2",
                       "Fail to read DVSECFlexBusRange2SizeLow"});
}

namespace {

constexpr int total_bytes_cedt = 68;
constexpr size_t chbs_offset = 36;
constexpr size_t cxl_ver_offset = 8;
constexpr size_t rcrb_base_offset = 16;
constexpr uint64_t membar0_offset = 0x10;
constexpr uint64_t up_rcrb_offset = 0x1000;
constexpr uint64_t cxl_cache_mem_registers_base_offset = 0x1000;
constexpr uint64_t cxl_ras_cap_header_offset = 4;
// A CEDT structure: type (1 byte), reserved, record length (2 bytes).
constexpr uint8_t kHostBridgeStructureType = 0;
constexpr uint64_t kHostBridgeStructureLength = 0x20;
// The RCRBs of the downstream and the upstream port, 4 KiB each.
constexpr uint64_t kRcrbRegionEnd = 0x1FFF;
// MEMBAR0 bits 3:0 describe the BAR, not its address.
constexpr uint64_t kMembarAttributeBits = 0xF;

// The address a MEMBAR0 value decodes to; the records show the value as read.
uint64_t membar_address(uint64_t membar0) { return membar0 & ~kMembarAttributeBits; }

constexpr uint64_t kMaxAddress = std::numeric_limits<uint64_t>::max();

// The 64-bit MEMBAR0 of the port whose RCRB lies port_offset after base, as
// two 4-byte reads into the cleared buffer, attribute bits and all; false
// when a read failed (or the RCRB would lie past the end of the address
// space, when nothing is read).
bool read_membar0(core::hwio& hw, unsigned char* buf, uint64_t base, uint64_t port_offset,
                  uint64_t& membar0) {
    std::fill(buf, buf + total_bytes_cedt, 0);
    if (base > kMaxAddress - (port_offset + membar0_offset + 8)) {
        return false;
    }
    const uint64_t at = base + port_offset + membar0_offset;
    if (hw.ReadMMIO(buf, at, 4) == 0 || hw.ReadMMIO(buf + 4, at + 4, 4) == 0) {
        return false;
    }
    membar0 = convert_from_buf(buf, 8);
    return true;
}

// Reads the CXL RAS capability header of the component registers behind
// membar0; an address of 0 is not one (MEMBAR0 unread or unassigned) and is
// never read.
bool read_ras_header(core::hwio& hw, unsigned char* buf, uint64_t membar0) {
    const uint64_t offset = cxl_cache_mem_registers_base_offset + cxl_ras_cap_header_offset;
    const uint64_t address = membar_address(membar0);
    if (address == 0 || address > kMaxAddress - (offset + 4)) {
        return false;
    }
    return hw.ReadMMIO(buf, address + offset, 4) != 0;
}

// Logs, and sets fail, when the address of membar0 lies inside the RCRB
// region at base.
void check_overlap(core::Testools& tt, const char* text, uint64_t membar0, uint64_t base,
                   bool& fail) {
    const uint64_t address = membar_address(membar0);
    if (address >= base && address - base <= kRcrbRegionEnd) {
        tt.messenger->fail_msg(text + to_hexstr(membar0) + "RCRB started at: " +
                               to_hexstr(base) + "RCRB ended at: " +
                               to_hexstr(base + kRcrbRegionEnd));
        fail = true;
    }
}

}  // namespace

core::TestResult CFG_8(core::Testools& tt) {
    TargetDvsec dvsec(tt);
    if (auto failed = dvsec.locate()) {
        return std::move(*failed);
    }
    tt.messenger->info_msg("RCRB MEMBAR0 Location");
    tt.messenger->info_msg("Reading CEDT ACPI Table");
    unsigned char buf[total_bytes_cedt] = {};
    char signature[] = "CEDT";
    core::hwio* hw = dvsec.hw();
    if (hw == nullptr || hw->ReadACPI(buf, signature, total_bytes_cedt) == 0) {
        return core::FailingTestResult("Fail to read CEDT ACPI Table.");
    }
    tt.messenger->debug_msg(2, "ACPI Table read");
    // Only a host bridge structure holds what the rest reads.
    const uint8_t type = buf[chbs_offset];
    const uint64_t length = convert_from_buf(buf + chbs_offset + 2, 2);
    if (type != kHostBridgeStructureType || length < kHostBridgeStructureLength) {
        return core::FailingTestResult(
            "First CEDT structure is not a CXL Host Bridge Structure.");
    }
    const uint64_t cxl_version = convert_from_buf(buf + chbs_offset + cxl_ver_offset, 4);
    const uint64_t dp_rcrb_base_address = convert_from_buf(buf + chbs_offset + rcrb_base_offset, 8);
    if (cxl_version != 0) {
        return core::SkippedTestResult("CXL Version read from CEDT is " + to_hexstr(cxl_version) +
                                       " which is not cxl1.1. Expect 0 for cxl1.1.");
    }
    tt.messenger->debug_msg(2, "Downstream Port RCRB base address: " +
                                   to_hexstr(dp_rcrb_base_address));

    bool fail = false;
    uint64_t MB0D = 0;
    uint64_t MB0U = 0;
    if (!read_membar0(*hw, buf, dp_rcrb_base_address, 0, MB0D)) {
        tt.messenger->fail_msg("Fail to read MemBar0 of Downstream Port.");
        fail = true;
    }
    if (!read_membar0(*hw, buf, dp_rcrb_base_address, up_rcrb_offset, MB0U)) {
        tt.messenger->fail_msg("Fail to read MemBar0 of Upstream Port.");
        fail = true;
    }
    tt.messenger->debug_msg(2, "MB0D: " + to_hexstr(MB0D));
    tt.messenger->debug_msg(2, "MB0U: " + to_hexstr(MB0U));
    check_overlap(tt, "DP Membar0 overlapped with RCRB region. MB0D: ", MB0D,
                  dp_rcrb_base_address, fail);
    check_overlap(tt, "UP Membar0 overlapped with RCRB region. MB0U: ", MB0U,
                  dp_rcrb_base_address, fail);

    if (!read_ras_header(*hw, buf, MB0D)) {
        tt.messenger->fail_msg("Fail to read Downstream port's CXL RAS CAP Header Register.");
        fail = true;
    }
    if (!read_ras_header(*hw, buf, MB0U)) {
        fail = true;
    }
    if (fail) {
        return core::FailingTestResult("");
    }
    return core::PassingTestResult("");
}

core::TestResult CFG_13(core::Testools& tt) {
    return run_hdm_flr_preservation(tt, {tt.target.sbdf(), "Fail to read DVSECFlexBusCap Register",
                                         "Fail to read DVSECFlexBusRange1BaseHigh_reg"});
}

core::TestResult CFG_14(core::Testools& tt) {
    const io::OffsetRetriever retriever(tt.target);
    uint64_t aer_offset = 0;
    if (retriever.ext_capability_offset(AER_CAP_ID, aer_offset) == 0) {
        return core::PassingTestResult("AER Extended Capability Structure Found");
    }
    return core::FailingTestResult("AER Extended Capability Structure Not Found");
}

}  // namespace v1d1
}  // namespace compliance
}  // namespace tarvo
