// The CXL 1.1 configuration lock test, which writes DVSEC CXL Control and
// puts it back, and the memory type checks of ranges 1 and 2.

#include <string>

#include "comptests/v1d1_config_tests.hpp"
#include "unit/v11rst/v11_bench.hpp"

namespace v11 {
namespace {

namespace v1d1 = tarvo::compliance::v1d1;
using sim::AccessKind;

using ConfigLock = V11Test;

constexpr uint64_t kControl = kDvsec + 0x0C;
constexpr uint64_t kLock = kDvsec + 0x14;
// R1, and W1: bits 0 to 11 and 14 inverted, reserved bits 12, 13, 15 kept.
constexpr uint64_t kR1 = 0xB123;
constexpr uint64_t kW1 = 0xFEDC;

Records lock_round(unsigned config_lock) {
    return {info("Reading Flex Bus Lock"),
            debug("Reading ConfigLock from DVSECFlexBusLock Register: " +
                  std::to_string(config_lock)),
            info("Reading Flex Bus Control"), info("Writing Flex Bus Control"),
            info("Reading Flex Bus Control")};
}

Records with(Records records, const Record& last) {
    records.push_back(last);
    return records;
}

void ignores_writes(V11Test& t) { t.bus->config(kSut).set_attr(kControl, 2, 0); }

TEST_F(ConfigLock, JudgesTheWriteAgainstTheLockAndPutsR1Back) {
    const Reg control{0x0C, kR1, 2};
    const Reg locked{0x14, 1, 2};
    const std::vector<Moved> write_and_restore = {{kControl, 2, kW1}, {kControl, 2, kR1}};
    const Case cases[] = {
        {"unlocked, takes the write", v1d1::CFG_5, {control}, passed(), lock_round(0), nullptr,
         write_and_restore},
        {"unlocked, ignores the write", v1d1::CFG_5, {control}, failed(),
         with(lock_round(0),
              info("When CONFIG_LOCK is not set then RWL registers should be allowed to be "
                   "modifed when written. R1: 0x45347 R2: 0x:45347")),
         ignores_writes, write_and_restore},
        {"locked, ignores the write", v1d1::CFG_5, {control, locked}, passed(), lock_round(1),
         ignores_writes, write_and_restore},
        {"locked, takes the write", v1d1::CFG_5, {control, locked}, failed(),
         with(lock_round(1),
              info("When CONFIG_LOCK is set then RWL registers should remain unmodified when "
                   "written. R1: 0x45347 R2: 0x65244")),
         nullptr, write_and_restore},
        {"R1 of 0 packs W1 into the 16-bit register", v1d1::CFG_5, {}, passed(), lock_round(0),
         nullptr, {{kControl, 2, 0x4FFF}, {kControl, 2, 0}}},
    };
    for (const Case& c : cases) {
        expect(c);
        const uint64_t r1 = c.regs.empty() ? 0 : kR1;
        EXPECT_EQ(bus->config(kSut).get16(kControl), r1);
    }
}

TEST_F(ConfigLock, AFailedAccessEndsTheTestAndLeavesNothingWritten) {
    const Reg control{0x0C, kR1, 2};
    Records lock = lock_round(0);
    const Case cases[] = {
        {"lock unreadable", v1d1::CFG_5, {control}, failed("Failed to read DVSECFlexBusLock register."),
         {info("Reading Flex Bus Lock")},
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kLock, 1); }},
        {"control unreadable", v1d1::CFG_5, {control},
         failed("Failed to read DVSECFlexBusControl register"), Records(lock.begin(), lock.begin() + 3),
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kControl, 1); }},
        {"write refused", v1d1::CFG_5, {control}, failed("Failed to write DVSECFlexBusControl"),
         Records(lock.begin(), lock.begin() + 4),
         [](V11Test& t) { t.fail_access(AccessKind::config_write, kControl, 1); }},
        // Reads of the control dword: R1, the write's own, the re-read.
        {"re-read fails: R1 still goes back", v1d1::CFG_5, {control},
         failed("Failed to read DVSECFlexBusControl register"), lock,
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kControl, 3, 1); },
         {{kControl, 2, kW1}, {kControl, 2, kR1}}},
    };
    for (const Case& c : cases) {
        expect(c);
        EXPECT_EQ(bus->config(kSut).get16(kControl), kR1);
    }
}

TEST_F(ConfigLock, AFailedRestoreFailsWhateverTheComparisonFound) {
    expect({"restore refused", v1d1::CFG_5, {{0x0C, kR1, 2}},
            failed("Failed to write DVSECFlexBusControl register."), lock_round(0),
            [](V11Test& t) { t.fail_access(AccessKind::config_write, kControl, 2); },
            {{kControl, 2, kW1}}});
}

using MemoryRanges = V11Test;

// DVSEC CXL Capability with MemCapable and HDMCount, and a Size Low value.
Reg cap(unsigned mem, unsigned hdm) { return Reg{0x0A, 0x2u | mem << 2 | hdm << 4, 2}; }
Reg size_low(size_t offset, unsigned media, unsigned mclass, unsigned interleave) {
    return Reg{offset, 0x3u | media << 2 | mclass << 5 | interleave << 8, 4};
}

TEST_F(MemoryRanges, EachFieldOutsideItsSetIsReportedAndTheTestFails) {
    const Records three_findings = {
        fail("Media Type valid values are 0x00000000 or 0x00000001 only. Read "
             "0x0000000000000002"),
        fail("Memory Class valid values are 0x00000000 or 0x00000001 only. Read "
             "0x0000000000000003"),
        fail("Desired Interleaved valid values are 0x00000000, 0x00000001, 0x00000002 only. "
             "Read 0x0000000000000003")};
    const Record range1 = info("Flex bus range 1 launched");
    const Record range2 = info("Flex bus range 2 launched");
    const Case cases[] = {
        {"range 1 valid", v1d1::CFG_6, {cap(1, 1), size_low(0x1C, 1, 1, 2)}, passed(), {range1}},
        {"range 1 invalid", v1d1::CFG_6, {cap(1, 1), size_low(0x1C, 2, 3, 3)}, failed(),
         {range1, three_findings[0], three_findings[1], three_findings[2]}},
        {"range 1 media type alone", v1d1::CFG_6, {cap(1, 1), size_low(0x1C, 2, 0, 0)},
         failed(), {range1, three_findings[0]}},
        {"range 2 invalid", v1d1::CFG_7, {cap(1, 2), size_low(0x2C, 2, 3, 3)}, failed(),
         {range2, three_findings[0], three_findings[1], three_findings[2]}},
        {"range 2 checked without memory but with two ranges", v1d1::CFG_7,
         {cap(0, 2), size_low(0x2C, 0, 0, 3)}, failed(), {range2, three_findings[2]}},
    };
    for (const Case& c : cases) expect(c);
}

TEST_F(MemoryRanges, SkipsBeforeReadingTheRangeAndFailsOnUnreadableRegisters) {
    const Record range1 = info("Flex bus range 1 launched");
    const Record range2 = info("Flex bus range 2 launched");
    const Case cases[] = {
        {"range 1 without memory", v1d1::CFG_6, {cap(0, 0)}, skipped("MEM_CAPABLE = 0"), {range1}},
        {"range 2 without memory, one range", v1d1::CFG_7, {cap(0, 1)},
         skipped("MEM_Capable = 0 and HDM_COUNT != 2"), {range2}},
        {"range 1 capability unreadable", v1d1::CFG_6, {cap(1, 1)},
         failed("Fail to read DVSECFlexBusCap"), {range1},
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kDvsec + 0x0A, 2); }},
        {"range 2 capability unreadable", v1d1::CFG_7, {cap(1, 2)},
         failed("Fail to read DVSECFlexBusCap Register"), {range2},
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kDvsec + 0x0A, 2); }},
        {"range 1 unreadable", v1d1::CFG_6, {cap(1, 1)},
         failed("Fail to read DVSECFlexBusRange1SizeLow Register"), {range1},
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kDvsec + 0x1C, 1); }},
        {"range 2 unreadable", v1d1::CFG_7, {cap(1, 2)},
         failed("Fail to read DVSECFlexBusRange2SizeLow"), {range2},
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kDvsec + 0x2C, 1); }},
    };
    for (const Case& c : cases) expect(c);
    // The skip came before the range register was read.
    expect(cases[0]);
    for (const sim::Access& a : accesses(AccessKind::config_read)) {
        EXPECT_FALSE(a.address <= kDvsec + 0x1C && kDvsec + 0x1C < a.address + a.len);
    }
}

}  // namespace
}  // namespace v11
