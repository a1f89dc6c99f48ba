// The Flex Bus Port, Register Locator and MLD DVSEC tests (2/CFG/18 to
// 2/CFG/22) on simulated functions built to pass and fail them.

#include <gtest/gtest.h>

#include "comptests/config_tests.hpp"
#include "unit/cfgtests/cfg_fixture.hpp"

namespace cfgtests {
namespace {

using namespace tarvo;
namespace v2d0 = tarvo::compliance::v2d0;
using sim::AccessKind;

constexpr uint32_t kBase = 0x100;  // where one_dvsec places its DVSEC

using FlexBusMld = CfgTest;

TEST_F(FlexBusMld, FlexBusPortHeaderJudgesEveryField) {
    const Record launch = info("Flex Bus Port DVSEC Capability Test launched");
    const Record reading = info("Reading Designated Vendor-Specific Header1");
    auto port = [](uint8_t rev, uint16_t len) {
        return [=] { return one_dvsec(RP, Flex_Bus_Port_DVSEC, rev, len); };
    };
    const Scenario scenarios[] = {
        {"absent",
         v2d0::CFG_18,
         [] { return no_dvsec(RP); },
         failed(),
         {launch, fail("Fail to find Felx Bus Port DVSEC Capability Header.")}},
        {"compliant", v2d0::CFG_18, port(1, 0x14), passed(), {launch, reading}},
        {"revision 2",
         v2d0::CFG_18,
         port(2, 0x14),
         failed(),
         {launch, reading, fail("Mismatch field DVSECREV expected:0x1, read:0x2\n")}},
        {"length 0x20, vendor and ID changed",
         v2d0::CFG_18,
         port(1, 0x20),
         failed(),
         {launch, reading, fail("Mismatch field DVSECVID expected:0x1e98 read:0x8086\n"),
          fail("Mismatch field DVSECLEN expected:0x14, read:0x20\n"),
          fail("Mismatch field DVSECID expected:0x07, read:0x3\n")},
         [](CfgTest& t) {
             t.change_from(kBase + 0x4, 0x8086 | 1 << 16 | 0x20 << 20, 2);
             t.change_from(kBase + 0x8, 0x0003, 2);
         }},
        {"header 1 unreadable",
         v2d0::CFG_18,
         port(1, 0x14),
         failed(),
         {launch, reading, fail("Fail to read DVSECHeader1/2.")},
         [](CfgTest& t) { t.fail_from(AccessKind::config_read, kBase + 0x4, 2); }},
    };
    for (const Scenario& s : scenarios) expect(s);
}

TEST_F(FlexBusMld, FlexBusPortMustBeIoAndCxl2Capable) {
    const Record launch = info("Flex Bus Port Capability Test launched");
    const std::string io = "DVSEC Flex Bus Port Capability value for IO_Capable doesn't match.";
    auto port = [](uint16_t cap) {
        return [=] { return one_dvsec(RP, Flex_Bus_Port_DVSEC, 1, 0x14, {{0x0A, cap}}); };
    };
    const Scenario scenarios[] = {
        {"absent",
         v2d0::CFG_19,
         [] { return no_dvsec(RP); },
         failed(),
         {launch, fail("Fail to find Flex Bus DVSEC for CXL Device")}},
        {"IO, memory and CXL 2.0", v2d0::CFG_19, port(0x0026), passed(), {launch}},
        {"neither: stops at IO", v2d0::CFG_19, port(0x0004), failed(), {launch, fail(io)}},
        {"not CXL 2.0",
         v2d0::CFG_19,
         port(0x0006),
         failed(),
         {launch, fail("DVSEC Flex Bus Port Capability value for CXL2p0Capable doesn't match.")}},
        {"unreadable",
         v2d0::CFG_19,
         port(0x0026),
         failed(),
         {launch, fail("Fail to read DVSECFlexBusPortCapability_reg.")},
         [](CfgTest& t) { t.fail_from(AccessKind::config_read, kBase + 0x0A, 2); }},
    };
    for (const Scenario& s : scenarios) expect(s);
}

TEST_F(FlexBusMld, RegisterLocatorLogsItsLengthWithoutJudgingIt) {
    const Record launch = info("Register Locator Test launched");
    const Record reading = info("Reading Designated Vendor-Specific Header1");
    auto locator = [](uint8_t rev, uint16_t len) {
        return [=] { return one_dvsec(PCIE_EP, REG_LOCATOR_DVSEC, rev, len); };
    };
    const Scenario scenarios[] = {
        {"absent",
         v2d0::CFG_20,
         [] { return no_dvsec(PCIE_EP); },
         failed(),
         {launch, fail("Fail to find Register Locator DVSEC.")}},
        {"three entries",
         v2d0::CFG_20,
         locator(0, 0x24),
         passed(),
         {launch, reading, info("DVSECLEN read:0x24\n")}},
        {"one entry",
         v2d0::CFG_20,
         locator(0, 0x14),
         passed(),
         {launch, reading, info("DVSECLEN read:0x14\n")}},
        {"revision 1",
         v2d0::CFG_20,
         locator(1, 0x14),
         failed(),
         {launch, reading, fail("Mismatch field DVSECREV expected:0x0, read:0x1\n"),
          info("DVSECLEN read:0x14\n")}},
    };
    for (const Scenario& s : scenarios) expect(s);
}

TEST_F(FlexBusMld, MldDvsecIsOptional) {
    const Record launch = info("MLD DVSEC Capability Header");
    const Record absent = warn("Fail to find MLD Capability.");
    const Record reading = info("Reading Designated Vendor-Specific Header1");
    auto mld = [](uint8_t rev, uint16_t len, uint16_t lds = 1) {
        return [=] { return one_dvsec(PCIE_EP, CXL_MLD_DVSEC, rev, len, {{0x0A, lds}}); };
    };
    const std::string criteria = "NumberOfLDsSupported register value not matching criteria.";
    const Scenario scenarios[] = {
        {"header, absent",
         v2d0::CFG_21,
         [] { return no_dvsec(PCIE_EP); },
         not_supported(),
         {launch, absent}},
        {"header compliant", v2d0::CFG_21, mld(0, 0x10), passed(), {launch, reading}},
        {"header revision 1, length 0x14",
         v2d0::CFG_21,
         mld(1, 0x14),
         failed(),
         {launch, reading, fail("Mismatch field DVSECREV expected:0x0, read:0x1\n"),
          fail("Mismatch field DVSECLEN expected:0x10, read:0x14\n")}},
        {"count, absent",
         v2d0::CFG_22,
         [] { return no_dvsec(PCIE_EP); },
         not_supported(),
         {launch, absent}},
        {"1 device", v2d0::CFG_22, mld(0, 0x10, 1), passed(), {launch}},
        {"16 devices", v2d0::CFG_22, mld(0, 0x10, 16), passed(), {launch}},
        {"17 devices", v2d0::CFG_22, mld(0, 0x10, 17), failed(), {launch, fail(criteria)}},
        {"no device", v2d0::CFG_22, mld(0, 0x10, 0), failed(), {launch, fail(criteria)}},
        {"count unreadable",
         v2d0::CFG_22,
         mld(0, 0x10),
         failed(),
         {launch, fail("Fail to read NumberOfLDSupported_reg.")},
         [](CfgTest& t) { t.fail_from(AccessKind::config_read, kBase + 0x0A, 2); }},
    };
    for (const Scenario& s : scenarios) expect(s);
}

}  // namespace
}  // namespace cfgtests
