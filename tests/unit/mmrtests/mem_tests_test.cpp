// The memory tests on simulated devices whose memory ranges pass and fail
// each check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comptests/mem_tests.hpp"
#include "mmr_bench.hpp"

namespace {

using namespace mmrbench;
using tarvo::types::TestState;
using Record = LogCapture::Record;

// Range Size Low fields.
uint32_t size_low(uint32_t media, uint32_t memory_class, uint32_t interleave) {
    return media << 2 | memory_class << 5 | interleave << 8;
}
// Flex Bus capability: MemCapable and HDMCount.
uint16_t capability(uint16_t mem_capable, uint16_t hdm_count) {
    return static_cast<uint16_t>(mem_capable << 2 | hdm_count << 4);
}

void add_device(Bench& b, uint16_t cap, uint32_t range1, uint32_t range2) {
    sim::ConfigBuilder cfg;
    cfg.dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38).reg(0x0A, cap, 2).reg(0x1C, range1, 4).reg(0x2C,
                                                                                          range2, 4);
    b.bus->add_function(b.sbdf, cfg.build());
}

struct Case {
    const char* what;
    uint16_t cap;
    uint32_t range1;
    uint32_t range2;
    TestState::state state;
    std::string text;  // result message, and the record unless passed
    severity_level level;
};

void run(const Case& c, tarvo::core::TestResult (*test)(tarvo::core::Testools&)) {
    SCOPED_TRACE(c.what);
    Bench b;
    add_device(b, c.cap, c.range1, c.range2);
    const tarvo::core::TestResult r = test(b.tt);
    EXPECT_EQ(r.state.value(), c.state);
    EXPECT_EQ(r.msg, c.text);
    if (c.state == TestState::passed) {
        EXPECT_TRUE(b.log.records().empty());
    } else {
        EXPECT_EQ(b.log.records(), (std::vector<Record>{{c.level, c.text}}));
    }
    // Nothing is written.
    EXPECT_TRUE(b.bus->log_of(sim::AccessKind::config_write).empty());
}

TEST(Mem1, ChecksRangeOneSizeLow) {
    const uint16_t cap = capability(1, 1);
    const uint32_t r2 = size_low(2, 3, 3);  // never looked at
    const Case cases[] = {
        {"class 1, interleave 2, media 2", cap, size_low(2, 1, 2), r2, TestState::passed, "PASS",
         info},
        {"class 0, interleave 0", cap, size_low(0, 0, 0), r2, TestState::passed, "PASS", info},
        {"class 2", cap, size_low(0, 2, 0), r2, TestState::failed,
         "Memory_Class register different of 0x0 and 0x1.\n", fail},
        {"interleave 3", cap, size_low(0, 1, 3), r2, TestState::failed,
         "Desired_Interleave register different of 0x0, 0x1 or 0x2.\n", fail},
    };
    for (const Case& c : cases) {
        run(c, comptests2_0::MEM_1);
    }
}

TEST(Mem2, ChecksTheCapabilityThenRangeTwoSizeLow) {
    const uint32_t r1 = size_low(0, 7, 7);  // never looked at
    const Case cases[] = {
        {"media 7", capability(1, 2), r1, size_low(7, 1, 2), TestState::passed, "PASS", info},
        {"media 1, class 0, interleave 0", capability(1, 2), r1, size_low(1, 0, 0),
         TestState::passed, "PASS", info},
        {"not memory capable, two ranges", capability(0, 2), r1, size_low(0, 0, 0),
         TestState::failed, "Device is not MemCapable to run this test.\n", fail},
        {"one HDM range", capability(1, 1), r1, size_low(2, 2, 3),
         TestState::finished_not_supported, "Device doesn't support two HDM ranges.\n", warning},
        {"media 2", capability(1, 2), r1, size_low(2, 0, 0), TestState::failed,
         "Media Type register different to 0x0, 0x1 or 0x7.\n", fail},
        {"class 2", capability(1, 2), r1, size_low(0, 2, 0), TestState::failed,
         "Memory class register different to 0x0 or 0x1.\n", fail},
        {"interleave 3", capability(1, 2), r1, size_low(0, 1, 3), TestState::failed,
         "Desired interleave register different to 0x0, 0x1 or 0x2.\n", fail},
    };
    for (const Case& c : cases) {
        run(c, comptests2_0::MEM_2);
    }
}

TEST(MemTests, FailWhenTheDvsecIsAbsentOrUnreadable) {
    using Fn = tarvo::core::TestResult (*)(tarvo::core::Testools&);
    struct Fault {
        Fn test;
        int reads;  // reads that succeed after the DVSEC lookup; -1: no DVSEC
        std::string text;
    };
    const Fault faults[] = {
        {comptests2_0::MEM_1, -1, "Fail to find PCIe DVSEC for CXL Device\n"},
        {comptests2_0::MEM_2, -1, "Fail to find PCIe DVSEC for CXL Device\n"},
        {comptests2_0::MEM_1, 0, "Fail to read DVSECFlexBusRange1SizeLow\n"},
        {comptests2_0::MEM_2, 0, "Fail to read DVSECFlexBusCap.\n"},
        {comptests2_0::MEM_2, 1, "Fail to read DVSECFlexBusRange2SizeLow.\n"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.text);
        Bench b;
        if (f.reads < 0) {
            b.bus->add_function(b.sbdf, sim::ConfigBuilder().dvsec(REG_LOCATOR_DVSEC, 0, 0x0C).build());
        } else {
            // The DVSEC Flex Bus capability shares its dword with DVSEC
            // Header 2, so the fault is timed: it strikes after the reads of
            // the lookup and f.reads more.
            add_device(b, capability(1, 2), 0, 0);
            uint64_t dvsec = 0;
            ASSERT_EQ(b.tt.device->GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, dvsec), 0);
            const size_t lookup = b.bus->log_of(sim::AccessKind::config_read).size();
            b.bus->fail_after(sim::AccessKind::config_read,
                              static_cast<unsigned>(lookup) + static_cast<unsigned>(f.reads));
        }
        const tarvo::core::TestResult r = f.test(b.tt);
        EXPECT_EQ(r.state.value(), TestState::failed);
        EXPECT_EQ(r.msg, f.text);
        EXPECT_EQ(b.log.records(), (std::vector<Record>{{fail, f.text}}));
    }
}

}  // namespace
