// The presence tests 2/CFG/1 and 2/CFG/2 on simulated functions of each
// port type.

#include <gtest/gtest.h>

#include "comptests/config_tests.hpp"
#include "unit/cfgtests/cfg_fixture.hpp"

namespace cfgtests {
namespace {

using namespace tarvo;
namespace v2d0 = tarvo::compliance::v2d0;
using sim::AccessKind;

// A function of the given port type carrying the CXL DVSECs with the given
// IDs, chained from 0x100 in the order given.
std::function<sim::ConfigSpace()> with(PORT_TYPE_t type, std::vector<uint16_t> ids) {
    return [type, ids] {
        sim::ConfigBuilder b;
        b.pcie_cap(type);
        for (uint16_t id : ids) b.dvsec(id, id == 0 ? 1 : 0, 0x10);
        return b.build();
    };
}

using Presence = CfgTest;

TEST_F(Presence, DevicePresenceAcceptsCxlPortTypesWithTheDeviceDvsec) {
    const Record launch = info("Device Presence Test launched");
    const Record reading_cap = info("Reading PCI Express Capabilities Register");
    const Record reading_h1 = info("Reading Designated Vendor-Specific Header1");
    const Record rciep = info(
        "CXL Device found as PCIe RCIEP. Possible CXL1.1 device. CXL2.0 should be exposed as "
        "PCIe Endpoint.\n");
    std::vector<Scenario> scenarios = {
        {"RCiEP",
         v2d0::CFG_1,
         with(RCIEP, {0}),
         passed(),
         {launch, reading_cap, rciep, reading_h1}},
        {"RCiEP without the DVSEC",
         v2d0::CFG_1,
         with(RCIEP, {8}),
         failed("Fail to find PCIe DVSEC for CXL Device"),
         {launch, reading_cap, rciep}},
        {"PCI bridge",
         v2d0::CFG_1,
         with(PCIE_PCI_BRIDGE, {0}),
         failed(),
         {launch, reading_cap,
          fail("CXL Device is not present or can't be indentified. Type port is 7\n")}},
        {"root complex event collector",
         v2d0::CFG_1,
         with(RCEC, {0}),
         failed(),
         {launch, reading_cap,
          fail("CXL Device is not present or can't be indentified. Type port is a\n")}},
        {"no PCI Express Capability",
         v2d0::CFG_1,
         [] { return sim::ConfigBuilder().build(); },
         failed("Fail to find PCIE Capability Structure\n"),
         {launch}},
        {"capability unreadable",
         v2d0::CFG_1,
         with(PCIE_EP, {0}),
         failed("Fail to read PCI Express Capabilities Register"),
         {launch, reading_cap},
         [](CfgTest& t) { t.fail_from(AccessKind::config_read, 0x42, 2); }},
        {"header unreadable",
         v2d0::CFG_1,
         with(PCIE_EP, {0}),
         failed("Fail to read DVSECHeader1"),
         {launch, reading_cap, reading_h1},
         [](CfgTest& t) { t.fail_from(AccessKind::config_read, 0x104, 2); }},
        // The mismatch is the result's message only.
        {"vendor changed after the lookup",
         v2d0::CFG_1,
         with(PCIE_EP, {0}),
         failed("Mismatch field DVSECVID expected:0x1e98 read:0x8086\n"),
         {launch, reading_cap, reading_h1},
         [](CfgTest& t) { t.change_from(0x104, 0x8086 | 1 << 16 | 0x10 << 20, 2); }},
    };
    for (PORT_TYPE_t type : {PCIE_EP, RP, UP_SWITCH, DP_SWITCH}) {
        scenarios.push_back({"type " + std::to_string(type),
                             v2d0::CFG_1,
                             with(type, {0}),
                             passed(),
                             {launch, reading_cap, reading_h1}});
        scenarios.push_back({"type " + std::to_string(type) + " without the DVSEC",
                             v2d0::CFG_1,
                             with(type, {}),
                             failed("Fail to find PCIe DVSEC for CXL Device"),
                             {launch, reading_cap}});
    }
    for (const Scenario& s : scenarios) expect(s);
}

TEST_F(Presence, DvsecPresenceOfACompliantType3EndpointLogsEverySearch) {
    const Record absent = warn("Fail to find PCIe DVSEC for CXL Device");
    const Record reading = info("Reading Designated Vendor-Specific Header1");
    expect({"type 3 endpoint",
            v2d0::CFG_2,
            with(PCIE_EP, {0, 8, 5, 7}),
            passed(),
            {info("CXL Device Capabilities Test launched"), info("Search for PCI Express DVSEC"),
             reading, info("Search for Non-CXL Function Map DVSEC"), absent,
             info("Search for CXL 2.0 Extensions DVSEC for Ports"), absent,
             info("Search for GPF DVSEC for CXL Port"), absent,
             info("Search for GPF DVSEC for CXL Device"), reading,
             info("Search for PCIe DVSEC for Flex Bus Port"), reading,
             info("Search for Register Locator DVSEC"), reading, info("Search for MLD DVSEC"),
             absent, info("Test complete")}});
}

TEST_F(Presence, DvsecPresenceFailsOnTheFirstMissingRequiredDvsec) {
    struct Case {
        const char* name;
        PORT_TYPE_t type;
        std::vector<uint16_t> ids;
        Verdict result;
        std::function<void(CfgTest&)> arrange = nullptr;
    };
    // DVSEC IDs: 0 device, 2 non-CXL function map, 3 port extensions,
    // 4 GPF port, 5 GPF device, 7 Flex Bus Port, 8 register locator, 9 MLD.
    const Case cases[] = {
        {"every DVSEC on a downstream port", DP_SWITCH, {0, 2, 3, 4, 5, 7, 8, 9}, passed()},
        {"no device DVSEC", PCIE_EP, {5, 7, 8}, failed("Fail to find PCI Express DVSEC")},
        {"no GPF device DVSEC",
         PCIE_EP,
         {0, 7, 8},
         failed("Fail to find  GPF DVSEC for CXL Device")},
        {"no Flex Bus Port DVSEC",
         PCIE_EP,
         {0, 5, 8},
         failed("Fail to find PCIe DVSEC for Flex Bus Port")},
        {"no register locator", PCIE_EP, {0, 5, 7}, failed("Fail to find Register Locator DVSEC")},
        {"root port without port extensions",
         RP,
         {0, 4, 5, 7, 8},
         failed("Fail to find CXL 2.0 Extensions DVSEC for Upstream Port")},
        {"upstream port without GPF port",
         UP_SWITCH,
         {0, 3, 5, 7, 8},
         failed("Fail to find GPF DVSEC for CXL for Upstream Port")},
        // A bad header fails whatever the port type. The DVSEC examined lies
        // first, so each earlier search has read its header once.
        {"function map header unreadable",
         PCIE_EP,
         {2, 0, 5, 7, 8},
         failed("Fail to find Non-CXL Function Map DVSEC"),
         [](CfgTest& t) { t.fail_from(AccessKind::config_read, 0x104, 3); }},
        {"function map of another vendor",
         PCIE_EP,
         {2, 0, 5, 7, 8},
         failed("Fail to find Non-CXL Function Map DVSEC"),
         [](CfgTest& t) { t.change_from(0x104, 0x8086 | 0x10 << 20, 3); }},
        {"port extensions unreadable on an endpoint",
         PCIE_EP,
         {3, 0, 5, 7, 8},
         failed("Fail to find CXL 2.0 Extensions DVSEC for Ports"),
         [](CfgTest& t) { t.fail_from(AccessKind::config_read, 0x104, 4); }},
        {"GPF port of another vendor on an endpoint",
         PCIE_EP,
         {4, 0, 5, 7, 8},
         failed("Fail to find GPF DVSEC for CXL for Ports"),
         [](CfgTest& t) { t.change_from(0x104, 0x8086 | 0x10 << 20, 5); }},
        {"MLD header unreadable",
         PCIE_EP,
         {9, 0, 5, 7, 8},
         passed(),
         [](CfgTest& t) { t.fail_from(AccessKind::config_read, 0x104, 9); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        install(with(c.type, c.ids)());
        if (c.arrange) c.arrange(*this);
        EXPECT_EQ(verdict(run(v2d0::CFG_2)), c.result);
        // A failure ends the test: nothing is logged after the last search.
        const Records r = records();
        ASSERT_FALSE(r.empty());
        if (c.result.state == types::TestState::passed)
            EXPECT_EQ(r.back(), info("Test complete"));
        else
            EXPECT_FALSE(r.back() == info("Test complete"));
    }
}

}  // namespace
}  // namespace cfgtests
