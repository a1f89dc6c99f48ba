// The Non-CXL Function Map, Extensions DVSEC for Ports and GPF DVSEC tests
// (2/CFG/9 to 2/CFG/16) on simulated functions built to pass and fail them.

#include <gtest/gtest.h>

#include "comptests/config_tests.hpp"
#include "unit/cfgtests/cfg_fixture.hpp"

namespace cfgtests {
namespace {

using namespace tarvo;
namespace v2d0 = tarvo::compliance::v2d0;
using sim::AccessKind;

constexpr uint32_t kBase = 0x100;  // where one_dvsec places its DVSEC

// The first DVSEC header dword as a device could present it after the lookup.
constexpr uint32_t header1(uint16_t vendor, uint8_t rev, uint16_t len) {
    return vendor | uint32_t{rev} << 16 | uint32_t{len} << 20;
}

// Reads of a header dword that fail after the lookup has read it once.
std::function<void(CfgTest&)> unreadable(uint32_t rel) {
    return [rel](CfgTest& t) { t.fail_from(AccessKind::config_read, kBase + rel, 2); };
}

// A header dword that changes after the lookup has read it.
std::function<void(CfgTest&)> changed(uint32_t rel, uint32_t value) {
    return [rel, value](CfgTest& t) { t.change_from(kBase + rel, value, 2); };
}

using PortDvsecs = CfgTest;

TEST_F(PortDvsecs, NonCxlFunctionMapIsOptionalAndJudgedFieldByField) {
    const Record launch = info("Non-CXL Function Map DVSEC Test launched");
    const Record reading = info("Reading Designated Vendor-Specific Header1");
    auto map = [](uint8_t rev, uint16_t len) {
        return [=] { return one_dvsec(PCIE_EP, NON_CXL_FUNCTION_DVSEC, rev, len); };
    };
    const Scenario scenarios[] = {
        {"absent",
         v2d0::CFG_9,
         [] { return no_dvsec(PCIE_EP); },
         not_supported("NON CXL FUNCTION DVSEC not found"),
         {launch}},
        {"compliant", v2d0::CFG_9, map(0, 0x2C), passed(), {launch, reading}},
        {"revision 1",
         v2d0::CFG_9,
         map(1, 0x2C),
         failed(),
         {launch, reading, fail("Mismatch field DVSECREV expected:0x0 read:0x1\n")}},
        {"revision 1, length 0x30",
         v2d0::CFG_9,
         map(1, 0x30),
         failed(),
         {launch, reading, fail("Mismatch field DVSECREV expected:0x0 read:0x1\n"),
          fail("Mismatch field DVSECLEN expected:0x2c read:0x30\n")}},
        {"vendor changed",
         v2d0::CFG_9,
         map(0, 0x2C),
         failed(),
         {launch, reading, fail("Mismatch field DVSECVID expected:0x1e98 read:0x8086\n")},
         changed(0x4, header1(0x8086, 0, 0x2C))},
        {"unreadable",
         v2d0::CFG_9,
         map(0, 0x2C),
         failed("Fail to read DVSECHeader1"),
         {launch, reading},
         unreadable(0x4)},
    };
    for (const Scenario& s : scenarios) expect(s);
}

TEST_F(PortDvsecs, ExtensionsHeaderStopsAtTheFirstMismatch) {
    const Record launch = info("CXL 2.0 Extensions DVSEC for Ports Header test launched.");
    auto ext = [](uint8_t rev, uint16_t len) {
        return [=] { return one_dvsec(RP, CXL_EXTENTION_PORTS_DVSEC, rev, len); };
    };
    const Scenario scenarios[] = {
        {"absent",
         v2d0::CFG_10,
         [] { return no_dvsec(RP); },
         failed(),
         {launch, fail("Fail to find CXL 2.0 Extensions DVSEC for CXL Device.")}},
        {"compliant", v2d0::CFG_10, ext(0, 0x28), passed(), {launch}},
        {"revision 1",
         v2d0::CFG_10,
         ext(1, 0x28),
         failed(),
         {launch, fail("Mismatch field DVSECRev, expected:0x0 but read:0x1\n")}},
        {"length 0x2c",
         v2d0::CFG_10,
         ext(0, 0x2C),
         failed(),
         {launch, fail("Mismatch field DVSECLen, expected:0x28 but read:0x2c\n")}},
        {"vendor and length wrong",
         v2d0::CFG_10,
         ext(0, 0x28),
         failed(),
         {launch, fail("Mismatch field DVSECVID, expected:0x1e98 read:0x8086\n")},
         changed(0x4, header1(0x8086, 0, 0x30))},
        {"ID changed",
         v2d0::CFG_10,
         ext(0, 0x28),
         failed(),
         {launch, fail("Mismatch field DVSECID, expected: 0x3 but read:0x5\n")},
         changed(0x8, 0x0005)},
        {"header 2 unreadable",
         v2d0::CFG_10,
         ext(0, 0x28),
         failed(),
         {launch, fail("Fail to read DVSECHeaders")},
         unreadable(0x8)},
    };
    for (const Scenario& s : scenarios) expect(s);
}

TEST_F(PortDvsecs, PortControlExtensionsWithBothUnmaskBitsClearIsSkipped) {
    const Record launch = info("CXL 2.0 Extensions DVSEC for Ports Header test launched.");
    const std::string missing = "Test missing additional implementation";
    auto ext = [](uint16_t control) {
        return [=] { return one_dvsec(RP, CXL_EXTENTION_PORTS_DVSEC, 0, 0x28, {{0x0C, control}}); };
    };
    const Scenario scenarios[] = {
        {"absent",
         v2d0::CFG_11,
         [] { return no_dvsec(RP); },
         failed(),
         {launch, fail("Fail to find CXL 2.0 Extensions DVSEC for CXL Device.")}},
        // Bits other than the two unmask bits do not take part.
        {"both clear", v2d0::CFG_11, ext(0x400C), skipped(missing), {launch, warn(missing)}},
        {"UnmaskSBR",
         v2d0::CFG_11,
         ext(0x0001),
         failed(),
         {launch, fail("UnmaskSBR (bit0) is not 0x0.")}},
        {"both set",
         v2d0::CFG_11,
         ext(0x0003),
         failed(),
         {launch, fail("UnmaskSBR (bit0) is not 0x0.")}},
        {"UnmaskLinkDisable",
         v2d0::CFG_11,
         ext(0x0002),
         failed(),
         {launch, fail("UnmaskLinkDisable (bit1) is not 0x0.")}},
        {"unreadable",
         v2d0::CFG_11,
         ext(0),
         failed(),
         {launch, fail("Fail to read CXL 2.0 Port Control Extensions register.")},
         [](CfgTest& t) { t.fail_from(AccessKind::config_read, kBase + 0x0C, 1); }},
    };
    for (const Scenario& s : scenarios) expect(s);
}

TEST_F(PortDvsecs, GpfHeadersJudgeEveryField) {
    struct Gpf {
        TestFunction test;
        DVSEC_ID_t id;
        PORT_TYPE_t type;
        Record launch;
        std::string not_found;
        std::string read_failure;
        std::string id_record;  // for an ID of 6
    };
    const Gpf gpfs[] = {
        {v2d0::CFG_12, CXL_GPF_PORT_DVSEC, RP, info("GPF Port DVSEC Test launched"),
         "Fail to find CXL GPF PORT  DVSEC for CXL Device", "Fail to read DVSECHeader1",
         "Mismatch field DVSECID expected:0x04, read:0x6\n"},
        {v2d0::CFG_15, CXL_GPF_DEVICE_DVSEC, PCIE_EP, info("GPF Device DVSEC Test launched"),
         "Fail to find CXL GPF DEVICE  DVSEC for CXL Device", "Fail to read DVSECHeader1/2.",
         "Mismatch field DVSECID expected:0x05, read:0x6\n"},
    };
    const Record reading = info("Reading Designated Vendor-Specific Header1");
    for (const Gpf& g : gpfs) {
        SCOPED_TRACE(g.launch.text);
        auto gpf = [&g](uint8_t rev, uint16_t len) {
            return [&g, rev, len] { return one_dvsec(g.type, g.id, rev, len); };
        };
        const Scenario scenarios[] = {
            {"absent",
             g.test,
             [&g] { return no_dvsec(g.type); },
             failed(),
             {g.launch, fail(g.not_found)}},
            {"compliant", g.test, gpf(0, 0x10), passed(), {g.launch, reading}},
            {"revision and ID wrong",
             g.test,
             gpf(1, 0x10),
             failed(),
             {g.launch, reading, fail("Mismatch field DVSECREV expected:0x0 read:0x1\n"),
              fail(g.id_record)},
             changed(0x8, 0x0006)},
            {"length 0x14",
             g.test,
             gpf(0, 0x14),
             failed(),
             {g.launch, reading, fail("Mismatch field DVSECLEN expected:0x10 read:0x14\n")}},
            {"vendor changed",
             g.test,
             gpf(0, 0x10),
             failed(),
             {g.launch, reading, fail("Mismatch field DVSECVID expected:0x1e98 read:0x8086\n")},
             changed(0x4, header1(0x8086, 0, 0x10))},
            {"header 2 unreadable",
             g.test,
             gpf(0, 0x10),
             failed(),
             {g.launch, reading, fail(g.read_failure)},
             unreadable(0x8)},
        };
        for (const Scenario& s : scenarios) expect(s);
    }
}

TEST_F(PortDvsecs, GpfTimeoutScalesLieInZeroToSeven) {
    struct Gpf {
        TestFunction test;
        DVSEC_ID_t id;
        PORT_TYPE_t type;
        size_t rel;
        Record launch;
        std::string not_found;
        std::string read_failure;
        std::string criteria;
    };
    const Gpf gpfs[] = {
        {v2d0::CFG_13, CXL_GPF_PORT_DVSEC, RP, 0x0C, info("GPF Port Phase 1 Test launched."),
         "Fail to find CXL GPF PORT  DVSEC for CXL Device.", "Fail to read GPFPhase1Control_reg.",
         "PortGPFPhase1TimeoutScale value doesn't match criteria."},
        {v2d0::CFG_14, CXL_GPF_PORT_DVSEC, RP, 0x0E, info("GPF Port Phase 2 Test launched."),
         "Fail to find CXL GPF PORT  DVSEC for CXL Device.", "Fail to read GPFPhase2Control_reg.",
         "PortGPFPhase2TimeoutScale value doesn't match criteria."},
        {v2d0::CFG_16, CXL_GPF_DEVICE_DVSEC, PCIE_EP, 0x0A,
         info("GPF Device Phase 2 Duration Test launched"),
         "Fail to find CXL GPF DEVICE  DVSEC for CXL Device", "Fail to read GPFPhase2Duration_reg.",
         "DeviceGPFPhase2TimeoutScale value doesn't match criteria."},
    };
    for (const Gpf& g : gpfs) {
        SCOPED_TRACE(g.launch.text);
        // The scale is bits 11:8; the base and reserved bits do not take part.
        auto scale = [&g](uint16_t s) {
            return [&g, s] {
                return one_dvsec(g.type, g.id, 0, 0x10, {{g.rel, uint16_t(0xF0FF | s << 8)}});
            };
        };
        const Scenario scenarios[] = {
            {"absent",
             g.test,
             [&g] { return no_dvsec(g.type); },
             failed(),
             {g.launch, fail(g.not_found)}},
            {"scale 0", g.test, scale(0), passed(), {g.launch}},
            {"scale 7", g.test, scale(7), passed(), {g.launch}},
            {"scale 8", g.test, scale(8), failed(), {g.launch, fail(g.criteria)}},
            {"scale 15", g.test, scale(15), failed(), {g.launch, fail(g.criteria)}},
            {"unreadable",
             g.test,
             scale(0),
             failed(),
             {g.launch, fail(g.read_failure)},
             // A register in the dword of header 2 is read once by the lookup.
             [&g](CfgTest& t) {
                 t.fail_from(AccessKind::config_read, kBase + g.rel, g.rel < 0x0C ? 2 : 1);
             }},
        };
        for (const Scenario& s : scenarios) expect(s);
    }
}

}  // namespace
}  // namespace cfgtests
