// The CXL 1.1 DVSEC presence, header, Flex Bus capability and control tests.

#include <string>

#include "comptests/v1d1_config_tests.hpp"
#include "unit/v11rst/v11_bench.hpp"

namespace v11 {
namespace {

namespace v1d1 = tarvo::compliance::v1d1;
using sim::AccessKind;

using DvsecChecks = V11Test;

TEST_F(DvsecChecks, WithoutTheDvsecEachTestFailsNamingTheFunction) {
    install(plain_device().build());
    for (const auto& test : {v1d1::CFG_1, v1d1::CFG_2, v1d1::CFG_3, v1d1::CFG_4}) {
        EXPECT_EQ(verdict(run(test)), failed("Fail to find PCIe DVSEC for CXL Device at d:0.0"));
        EXPECT_EQ(records(), not_located());
    }
}

TEST_F(DvsecChecks, PresenceNeedsOnlyTheDvsecAndMakesNoAccessObject) {
    // Registers that every other test rejects.
    expect({"odd registers", v1d1::CFG_1, {{0x0A, 0x0031, 2}, {0x0C, 0x0700, 2}}, passed(), {}});
    EXPECT_EQ(factory.created(), 1u);  // the one lookup's
}

const char* const kReadHeader1 = "Reading Designated Vendor-Specific Header1";
const char* const kReadHeader2 = "Reading Designated Vendor-Specific Header2";

TEST_F(DvsecChecks, HeaderChecksEveryFieldAndReportsMismatches) {
    const Records validated_vid = {debug("VALIDATED DVSECVID  [1e98]  | EXPECTED [1e98] ")};
    const Record validated_id = debug("VALIDATED DVSECID  [0]  | EXPECTED [0] ");
    auto header = [](uint32_t rev, uint32_t len) {
        return Reg{0x04, 0x1E98 | rev << 16 | len << 20, 4};
    };
    const Case cases[] = {
        {"revision 1",
         v1d1::CFG_2,
         {},
         passed(),
         {info(kReadHeader1), validated_vid[0], debug("VALIDATED DVSECREV  [1]  | EXPECTED [0] "),
          debug("VALIDATED DVSECLEN  [38]  | EXPECTED [38] "), info(kReadHeader2),
          validated_id}},
        {"revision 0",
         v1d1::CFG_2,
         {header(0, 0x38)},
         passed(),
         {info(kReadHeader1), validated_vid[0], debug("VALIDATED DVSECREV  [0]  | EXPECTED [0] "),
          debug("VALIDATED DVSECLEN  [38]  | EXPECTED [38] "), info(kReadHeader2),
          validated_id}},
        {"revision 2 and length 0x3c",
         v1d1::CFG_2,
         {header(2, 0x3C)},
         failed("One or more mismatches found."),
         {info(kReadHeader1), validated_vid[0], debug("MISMATCH DVSECREV  [2]  | EXPECTED [0] "),
          debug("MISMATCH DVSECLEN  [3c]  | EXPECTED [38] "), info(kReadHeader2),
          validated_id}},
        {"header 1 unreadable",
         v1d1::CFG_2,
         {},
         failed("Failed to read DVSECHeader1"),
         {info(kReadHeader1)},
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kDvsec + 4, 2); }},
        {"header 2 unreadable after a mismatch",
         v1d1::CFG_2,
         {header(1, 0x20)},
         failed("Failed to read DVSECHeader2"),
         {info(kReadHeader1), validated_vid[0], debug("VALIDATED DVSECREV  [1]  | EXPECTED [0] "),
          debug("MISMATCH DVSECLEN  [20]  | EXPECTED [38] "), info(kReadHeader2)},
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kDvsec + 8, 2); }},
    };
    for (const Case& c : cases) expect(c);
}

TEST_F(DvsecChecks, FlexBusCapabilityRulesEachReportTheirOwnFinding) {
    const Record reading = info("Reading Flex Bus Capability");
    const Record ones = fail("HDM_COUNT cannot have value of 0b11 at all times.");
    const Record zero = fail("HDM_COUNT cannot have value of 0b00 when MEM_Capable is 0x01.");
    const Record nonzero = fail("HDM_COUNT cannot be non-zero when MEM_Capable is 0x00.");
    // IOCapable bit 1, MemCapable bit 2, HDMCount bits 5:4.
    auto cap = [](unsigned io, unsigned mem, unsigned hdm) {
        return Reg{0x0A, io << 1 | mem << 2 | hdm << 4, 2};
    };
    const Verdict mismatched = failed("Mismatched values found.");
    const Case cases[] = {
        {"memory device, one range", v1d1::CFG_3, {cap(1, 1, 1)}, passed(), {reading}},
        {"no memory, no ranges", v1d1::CFG_3, {cap(1, 0, 0)}, passed(), {reading}},
        {"no memory, count 3", v1d1::CFG_3, {cap(1, 0, 3)}, mismatched, {reading, ones, nonzero}},
        {"memory, count 3", v1d1::CFG_3, {cap(1, 1, 3)}, mismatched, {reading, ones}},
        {"memory, count 0", v1d1::CFG_3, {cap(1, 1, 0)}, mismatched, {reading, zero}},
        {"no IO", v1d1::CFG_3, {cap(0, 1, 2)}, mismatched,
         {reading, debug("MISMATCH IOCAPABLE  [0]  | EXPECTED [1] ")}},
        {"unreadable", v1d1::CFG_3, {cap(1, 1, 1)}, failed("Failed to read DVSECFlexBusCap"),
         {reading},
         [](V11Test& t) { t.fail_access(AccessKind::config_read, kDvsec + 0x0A, 2); }},
    };
    for (const Case& c : cases) expect(c);
}

TEST_F(DvsecChecks, FlexBusControlRejectsOnlyGranularitySeven) {
    const Record reading = info("Reading Flex Bus Control");
    for (uint64_t granularity = 0; granularity < 7; ++granularity) {
        expect({"granularity " + std::to_string(granularity), v1d1::CFG_4,
                {{0x0C, granularity << 8 | 0x00FF, 2}}, passed(), {reading}});
    }
    expect({"granularity 7", v1d1::CFG_4, {{0x0C, 7u << 8, 2}},
            failed("Mismatch cache_sf_granulairty found."),
            {reading, debug("MISMATCH CACHE_SF_GRANULARITY  [7]  | EXPECTED [7] ")}});
    expect({"unreadable", v1d1::CFG_4, {}, failed("Failed to read DVSECFlexBusControl"),
            {reading},
            [](V11Test& t) { t.fail_access(AccessKind::config_read, kDvsec + 0x0C, 1); }});
}

}  // namespace
}  // namespace v11
