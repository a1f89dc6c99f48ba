// The tests of the PCIe DVSEC for CXL devices (2/CFG/4 to 2/CFG/8) on
// simulated endpoints built to pass and to fail them.

#include <gtest/gtest.h>

#include "comptests/config_tests.hpp"
#include "unit/cfgtests/cfg_fixture.hpp"

namespace cfgtests {
namespace {

using namespace tarvo;
namespace v2d0 = tarvo::compliance::v2d0;
using sim::AccessKind;

// The DVSEC lies at 0x100, the first extended capability.
constexpr uint32_t kBase = 0x100;

// A Type 3 endpoint whose PCIe DVSEC for CXL devices passes every check:
// IO and memory capable with one HDM range, IO enabled, unlocked. Registers
// added with reg() land in the DVSEC.
sim::ConfigBuilder device(uint8_t rev = 1, uint16_t len = 0x38) {
    sim::ConfigBuilder b;
    b.ids(0x8086, 0x0d93).pcie_cap(PCIE_EP).dvsec(PCIE_DVSEC_FOR_CXL_DEV, rev, len);
    b.reg(0x0A, 0x0016, 2).reg(0x0C, 0x0002, 2);
    return b;
}

using DeviceDvsec = CfgTest;

TEST_F(DeviceDvsec, HeaderJudgesEveryFieldBetweenTheTwoReads) {
    struct Case {
        uint8_t rev;
        uint16_t len;
        Verdict result;
        Records mismatches;
    };
    const Case cases[] = {
        {1, 0x38, passed(), {}},
        {0, 0x38, failed(), {fail("Mismatch field DVSECREV expected:0x1 read:0x0\n")}},
        {2,
         0x3C,
         failed(),
         {fail("Mismatch field DVSECREV expected:0x1 read:0x2\n"),
          fail("Mismatch field DVSECLEN expected:0x38 read:0x3c\n")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rev " << int(c.rev) << " len " << c.len);
        install(device(c.rev, c.len).build());
        EXPECT_EQ(verdict(run(v2d0::CFG_4)), c.result);
        Records expected = {info("DVSEC Control Structure Test launched"),
                            info("Reading Designated Vendor-Specific Header1")};
        expected.insert(expected.end(), c.mismatches.begin(), c.mismatches.end());
        expected.push_back(info("Reading Designated Vendor-Specific Header2"));
        EXPECT_EQ(records(), expected);
    }
}

TEST_F(DeviceDvsec, MissingDvsecFailsEveryTestWithItsMessage) {
    // A DVSEC with ID 0 of another vendor is not the CXL one.
    install(sim::ConfigBuilder().pcie_cap(PCIE_EP).dvsec(0, 1, 0x38, 0x8086).build());
    const std::string text = "Fail to find PCIe DVSEC for CXL Device";
    EXPECT_EQ(verdict(run(v2d0::CFG_4)), failed(text));
    EXPECT_EQ(records(), Records{info("DVSEC Control Structure Test launched")});
    struct Case {
        TestFunction test;
        std::string msg;
    };
    for (const Case& c : {Case{v2d0::CFG_5, text}, Case{v2d0::CFG_6, text + "\n"},
                          Case{v2d0::CFG_7, text + "\n"}, Case{v2d0::CFG_8, text + "\n"}}) {
        EXPECT_EQ(verdict(run(c.test)), failed(c.msg));
        EXPECT_EQ(records(), Records{});  // the launch record comes after the lookup
    }
    EXPECT_TRUE(config_writes().empty());
}

TEST_F(DeviceDvsec, UnreadableRegisterEndsTheTestWithItsMessage) {
    struct Case {
        const char* name;
        TestFunction test;
        uint32_t offset;
        int nth;  // the lookup reads the two header dwords once
        std::string msg;
    };
    const Case cases[] = {
        {"CFG_4 header 1", v2d0::CFG_4, kBase + 0x4, 2, "Fail to read DVSECHeader1"},
        {"CFG_4 header 2", v2d0::CFG_4, kBase + 0x8, 2, "Fail to read DVSECHeader2"},
        {"CFG_5 capability", v2d0::CFG_5, kBase + 0xA, 2, "Fail to read DVSEC CXL Capability"},
        {"CFG_6 control", v2d0::CFG_6, kBase + 0xC, 1, "Fail to read DVSECFlexBusControl"},
        {"CFG_7 control", v2d0::CFG_7, kBase + 0xC, 1, "Fail to read DVSECFlexBusControl"},
        {"CFG_7 lock", v2d0::CFG_7, kBase + 0x14, 1, "Fail to read DVSECFlexBusLock_reg"},
        {"CFG_7 capability", v2d0::CFG_7, kBase + 0xA, 2, "Fail to read DVSECFlexBusCap_reg"},
        {"CFG_7 range 2 low", v2d0::CFG_7, kBase + 0x34, 1,
         "Fail to read DVSECFlexBusRange2BaseLow"},
        {"CFG_8 capability", v2d0::CFG_8, kBase + 0xA, 2, "Fail to read DVSEC CXL Capability"},
        {"CFG_8 capability 2", v2d0::CFG_8, kBase + 0x16, 1, "Fail to read DVSECCXLCapability2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        install(device().build());
        fail_from(AccessKind::config_read, c.offset, c.nth);
        EXPECT_EQ(verdict(run(c.test)), failed(c.msg));
        EXPECT_TRUE(config_writes().empty());
    }
}

TEST_F(DeviceDvsec, CapabilityChecksHdmCountAndResetTimeout) {
    const std::string io = "Mismatch field IO_Capable expected:0x01 read:0x0\n";
    const std::string hdm3 = "HDM_COUNT cannot have value of 0x03";
    const std::string hdm0 = "HDM_COUNT cannot have value of 0x00 when MEM_Capable is 0x01.";
    const std::string hdm_nz = "HDM_COUNT cannot have non-zero value when MEM_Capable is 0x00.";
    struct Case {
        uint16_t cap;
        std::vector<std::string> failures;
    };
    const Case cases[] = {
        {0x0016, {}},              // memory, one range
        {0x0026, {}},              // memory, two ranges
        {0x0014, {io}},            // not IO capable
        {0x0036, {hdm3}},          // HDMCount 3
        {0x0006, {hdm0}},          // memory without ranges
        {0x0012, {hdm_nz}},        // ranges without memory
        {0x0032, {hdm3, hdm_nz}},  // both rules on one field
        {0x0496, {}},              // reset capable, timeout 4
        {0x0716, {}},              // timeout 7 without reset capability
        {0x0596,                   // reset capable, timeout 5
         {"CXLResetTimeout 0x5 is not allowed to be >100b when CXL Reset Capable is 0x1\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "cap 0x" << c.cap);
        install(device().reg(0x0A, c.cap, 2).build());
        const Verdict v = verdict(run(v2d0::CFG_5));
        EXPECT_EQ(v, c.failures.empty() ? passed() : failed("DVSEC CXL Capability Test Fail"));
        Records r = records();
        ASSERT_EQ(r.size(), 4 + c.failures.size());
        for (size_t i = 0; i < c.failures.size(); ++i) EXPECT_EQ(r[4 + i], fail(c.failures[i]));
    }
    // The records before the findings: launch, reading, and the listing.
    const Records last = records();
    ASSERT_GE(last.size(), 4u);
    EXPECT_EQ(Records(last.begin(), last.begin() + 4),
              (Records{info("DVSEC CXL Capability Test launched"),
                       info("Reading DVSEC CXL Capability"), info("CXL Device Capability:"),
                       info("\nCacheCapable: 0\nIOCapable: 1\nMemCapable: 1\nMemHwInitMode: 0\n"
                            "HDMCount: 1\nCXLResetCapable: 1\nCXLResetTimeout: 5\n")}));
}

TEST_F(DeviceDvsec, ControlNeedsIoEnableAndAValidSnoopFilterGranularity) {
    const std::string io = "IOEnable is 0. Expected to be 1";
    const std::string gran = "Cache_SF_Granularity cannot have value of 0x07";
    struct Case {
        uint16_t control;
        std::vector<std::string> failures;
    };
    const Case cases[] = {
        {0x0002, {}}, {0x0602, {}}, {0x0000, {io}}, {0x0702, {gran}}, {0x0700, {io, gran}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "control 0x" << c.control);
        install(device().reg(0x0C, c.control, 2).build());
        EXPECT_EQ(
            verdict(run(v2d0::CFG_6)),
            c.failures.empty() ? passed() : failed("Cache SF Granularity or IOEnable check fail"));
        Records expected = {info("DVSEC CXL Control Test launched"),
                            info("Reading CXL Control Offset")};
        for (const std::string& f : c.failures) expected.push_back(fail(f));
        EXPECT_EQ(records(), expected);
    }
}

TEST_F(DeviceDvsec, CacheSizeUnitFollowsCacheCapability) {
    const std::string zero = "CacheSizeUnit expected to be 0 when CacheCapable is 0.";
    const std::string nonzero = "CacheSizeUnit expected to be non-zero when CacheCapable is 1.";
    const std::string above = "CacheSizeUnit register value cannot be > 2";
    struct Case {
        uint16_t cache_capable;
        uint16_t unit;
        std::vector<std::string> failures;
    };
    const Case cases[] = {
        {0, 0, {}},
        {1, 1, {}},
        {1, 2, {}},
        {0, 1, {zero}},
        {1, 0, {nonzero}},
        {1, 3, {above}},
        {0, 3, {zero, above}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "capable " << c.cache_capable << " unit " << c.unit);
        // The cache size in bits 15:8 does not take part.
        install(
            device().reg(0x0A, 0x0016 | c.cache_capable, 2).reg(0x16, 0x4000 | c.unit, 2).build());
        EXPECT_EQ(verdict(run(v2d0::CFG_8)),
                  c.failures.empty() ? passed() : failed("DVSEC CXL Capability2 Test Fail"));
        Records expected = {info("DVSEC CXL Capability2 Test Launched")};
        for (const std::string& f : c.failures) expected.push_back(fail(f));
        EXPECT_EQ(records(), expected);
    }
}

// 2/CFG/7 writes the complement of the control and range base registers.

// Range base register values that differ from their complements in every
// field.
sim::ConfigBuilder lock_device(uint16_t cap = 0x0016) {
    sim::ConfigBuilder b = device();
    b.reg(0x0A, cap, 2).reg(0x0C, 0x4A5A, 2);
    b.reg(0x20, 0x12345678, 4).reg(0x24, 0x5000000F, 4);
    b.reg(0x30, 0x9ABCDEF0, 4).reg(0x34, 0xA0000000, 4);
    // Neighbours that a careless write would disturb: CXL Status with its
    // write-1-to-clear Viral Status set, and the range sizes.
    b.reg(0x0E, 0x4000, 2).reg(0x1C, 0x10000003, 4).reg(0x2C, 0x20000003, 4);
    return b;
}

// Makes the device honour its configuration lock: while ConfigLock is set,
// writes to the control and range base registers do not take effect.
void honour_lock(sim::SimBus& bus) {
    auto revert = [](const sim::ConfigEvent& e) {
        if ((e.space.get16(kBase + 0x14) & 1) == 0) return;
        e.space.set_bytes(e.offset, std::vector<uint8_t>(e.before, e.before + e.len));
    };
    bus.on_config_write(kSut, kBase + 0x0C, kBase + 0x0E, revert);
    bus.on_config_write(kSut, kBase + 0x20, kBase + 0x38, revert);
}

using Writes = std::vector<std::pair<uint64_t, int>>;

// Writes of the control register and the given range base registers.
Writes writes_of(std::initializer_list<uint32_t> rels) {
    Writes w;
    for (uint32_t rel : rels) w.emplace_back(kBase + rel, rel == 0x0C ? 2 : 4);
    return w;
}

TEST_F(DeviceDvsec, LockTestPassesAndRestoresWhenWritesTakeEffectUnlocked) {
    // One range: the range 2 base registers are neither written nor judged.
    const auto before = install(lock_device().build()).bytes();
    EXPECT_EQ(verdict(run(v2d0::CFG_7)), passed());
    EXPECT_EQ(records(),
              (Records{info("DVSEC CXL Lock Test launched"), info("Reading CXL Control Offset")}));
    EXPECT_EQ(config_writes(), writes_of({0x0C, 0x20, 0x24, 0x0C, 0x20, 0x24}));
    EXPECT_EQ(bus->config(kSut).bytes(), before);

    // Two ranges take part in writing and restoring.
    const auto before2 = install(lock_device(0x0026).build()).bytes();
    EXPECT_EQ(verdict(run(v2d0::CFG_7)), passed());
    EXPECT_EQ(config_writes(),
              writes_of({0x0C, 0x20, 0x24, 0x30, 0x34, 0x0C, 0x20, 0x24, 0x30, 0x34}));
    EXPECT_EQ(bus->config(kSut).bytes(), before2);
}

TEST_F(DeviceDvsec, LockTestPassesOnALockedDeviceThatIgnoresTheWrites) {
    sim::ConfigBuilder b = lock_device(0x0026);
    b.reg(0x14, 0x0001, 2);
    const auto before = install(b.build()).bytes();
    honour_lock(*bus);
    EXPECT_EQ(verdict(run(v2d0::CFG_7)), passed());
    EXPECT_EQ(records().size(), 2u);
    EXPECT_EQ(bus->config(kSut).bytes(), before);
}

TEST_F(DeviceDvsec, LockTestReportsEveryFieldThatBreaksTheLockRule) {
    // Unlocked, but the control register is read-only: the six control
    // fields keep their values while the range bases change.
    sim::ConfigBuilder ro = lock_device();
    ro.attr(kBase + 0x0C, 2, 0);
    install(ro.build());
    EXPECT_EQ(verdict(run(v2d0::CFG_7)), failed("Lock Test fail"));
    const char* unchanged[] = {"CacheEnable writing",          "MemEnable writing",
                               "Cache SF Coverage writing",    "Cache SF Granularity after writing",
                               "Cache Clean Eviction writing", "Viral Enable writing"};
    Records expected = {info("DVSEC CXL Lock Test launched"), info("Reading CXL Control Offset")};
    for (const char* f : unchanged)
        expected.push_back(
            fail(std::string("CONFIG_LOCK = 0. R1 == R2 for ") + f + " inverted values."));
    EXPECT_EQ(records(), expected);

    // Locked, but every write takes effect: every field of both ranges changed.
    sim::ConfigBuilder open = lock_device(0x0026);
    open.reg(0x14, 0x0001, 2);
    const auto before = install(open.build()).bytes();
    EXPECT_EQ(verdict(run(v2d0::CFG_7)), failed("Lock Test fail"));
    expected = {info("DVSEC CXL Lock Test launched"), info("Reading CXL Control Offset")};
    for (const char* f : unchanged)
        expected.push_back(
            fail(std::string("CONFIG_LOCK = 1. R1 != R2 for ") + f + " inverted values."));
    for (const char* f : {"Range1 MemoryBaseHigh", "Range1 MemoryBaseLow", "Range2 MemoryBaseHigh",
                          "Range2 MemoryBaseLow"})
        expected.push_back(fail(std::string("CONFIG_LOCK = 1. R1 != R2 for ") + f +
                                " after writing inverted values."));
    EXPECT_EQ(records(), expected);
    EXPECT_EQ(bus->config(kSut).bytes(), before);
}

TEST_F(DeviceDvsec, LockTestRestoresWhatItInvertedOnEveryEarlyReturn) {
    struct Case {
        const char* name;
        AccessKind kind;
        uint32_t rel;
        int nth;
        std::string msg;
        Writes writes;
    };
    // Every inverted write that succeeded is written back, in writing order;
    // the failed one is not (it never took effect).
    const Case cases[] = {
        {"control write", AccessKind::config_write, 0x0C, 1,
         "Fail to write DVSECFlexBusControl with inverted value", writes_of({0x0C})},
        {"range 1 high write", AccessKind::config_write, 0x20, 1,
         "Fail to write DVSECFlexBusRange1BaseHigh with inverted value",
         writes_of({0x0C, 0x20, 0x0C})},
        {"range 1 low write", AccessKind::config_write, 0x24, 1,
         "Fail to write DVSECFlexBusRange1BaseLow with inverted value",
         writes_of({0x0C, 0x20, 0x24, 0x0C, 0x20})},
        {"range 2 high write", AccessKind::config_write, 0x30, 1,
         "Fail to write DVSECFlexBusRange2BaseHigh with inverted value",
         writes_of({0x0C, 0x20, 0x24, 0x30, 0x0C, 0x20, 0x24})},
        {"range 2 low write", AccessKind::config_write, 0x34, 1,
         "Fail to write DVSECFlexBusRange2BaseLow with inverted value",
         writes_of({0x0C, 0x20, 0x24, 0x30, 0x34, 0x0C, 0x20, 0x24, 0x30})},
        {"lock re-read", AccessKind::config_read, 0x14, 2, "Fail to read DVSECFlexBusLock_reg",
         writes_of({0x0C, 0x20, 0x24, 0x30, 0x34, 0x0C, 0x20, 0x24, 0x30, 0x34})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = install(lock_device(0x0026).build()).bytes();
        fail_from(c.kind, kBase + c.rel, c.nth);
        EXPECT_EQ(verdict(run(v2d0::CFG_7)), failed(c.msg));
        EXPECT_EQ(config_writes(), c.writes);
        EXPECT_EQ(bus->config(kSut).bytes(), before);
        EXPECT_EQ(records().size(), 2u);
    }
}

TEST_F(DeviceDvsec, LockTestRestoresTheOthersWhenARestoringWriteFails) {
    const auto before = install(lock_device(0x0026).build()).bytes();
    fail_from(AccessKind::config_write, kBase + 0x20, 2);  // the restore of range 1 high
    EXPECT_EQ(verdict(run(v2d0::CFG_7)), failed("Fail to write DVSECFlexBusRange1BaseHigh"));
    EXPECT_EQ(config_writes(),
              writes_of({0x0C, 0x20, 0x24, 0x30, 0x34, 0x0C, 0x20, 0x24, 0x30, 0x34}));
    // Only the register whose restore failed still holds its complement.
    std::vector<uint8_t> expected = before;
    for (int i = 0; i < 4; ++i)
        expected[kBase + 0x20 + i] = static_cast<uint8_t>(~before[kBase + 0x20 + i]);
    EXPECT_EQ(bus->config(kSut).bytes(), expected);
}

}  // namespace
}  // namespace cfgtests
