// The CXL 1.1 CEDT and RCRB test on a simulated host bridge, and the CEDT of
// QEMU's emulated host bridge.

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "comptests/v1d1_config_tests.hpp"
#include "common/utility.hpp"
#include "sim/acpi_tables.hpp"
#include "sim/work_dir.hpp"
#include "unit/v11rst/v11_bench.hpp"

namespace v11 {
namespace {

namespace v1d1 = tarvo::compliance::v1d1;
using sim::AccessKind;

constexpr uint64_t kRcrb = 0xFED00000;
constexpr uint64_t kComponentDp = 0xFE800000;
constexpr uint64_t kComponentUp = 0xFE810000;
// A 64-bit memory BAR: the attribute bits that are no part of the address.
constexpr uint64_t kBarAttributes = 0x4;

const std::string kFixture = std::string(TARVO_FIXTURE_DIR) + "/qemu/acpi.txt";

class CedtRcrb : public V11Test {
public:
    // A CXL 1.1 host bridge: its CEDT, an RCRB region with both ports'
    // MEMBAR0 and the component registers behind them.
    void host(uint64_t mb0d, uint64_t mb0u, uint32_t cxl_version = 0) {
        install(cxl_device().build());
        bus->set_acpi_table("CEDT",
                            sim::cedt_table({sim::cedt_chbs(7, cxl_version, kRcrb, 0x2000)}));
        faults->clear();
        memory(kRcrb).set64(0x10, mb0d);
        memory(kRcrb).set64(0x1010, mb0u);
        memory(kComponentDp);
        memory(kComponentUp);
    }

    // 64 KiB of memory at base, placed once.
    sim::MemRange& memory(uint64_t base) {
        sim::MemRange* range = bus->find_memory(base, 1);
        return range != nullptr ? *range : bus->add_memory(base, 0x10000);
    }

    std::vector<uint64_t> mmio_reads() const {
        std::vector<uint64_t> at;
        for (const sim::Access& a : bus->log_of(AccessKind::mmio_read)) at.push_back(a.address);
        return at;
    }
};

Records opening() {
    Records r = located();
    for (const Record& x : {info("RCRB MEMBAR0 Location"), info("Reading CEDT ACPI Table"),
                            debug("ACPI Table read"),
                            debug("Downstream Port RCRB base address: 0x00000000fed00000")}) {
        r.push_back(x);
    }
    return r;
}

Records membars(uint64_t mb0d, uint64_t mb0u) {
    return {debug("MB0D: " + to_hexstr(mb0d)), debug("MB0U: " + to_hexstr(mb0u))};
}

TEST_F(CedtRcrb, PortsOutsideTheRcrbPassAndTheAttributeBitsAreNoAddress) {
    host(kComponentDp | kBarAttributes, kComponentUp | kBarAttributes);
    EXPECT_EQ(verdict(run(v1d1::CFG_8)), passed());
    // The records show the registers as read; only the addresses drop the bits.
    EXPECT_EQ(records(),
              opening() + membars(kComponentDp | kBarAttributes, kComponentUp | kBarAttributes));
    const std::vector<uint64_t> expected = {kRcrb + 0x10,          kRcrb + 0x14,
                                            kRcrb + 0x1010,        kRcrb + 0x1014,
                                            kComponentDp + 0x1004, kComponentUp + 0x1004};
    EXPECT_EQ(mmio_reads(), expected);
    EXPECT_TRUE(bus->log_of(AccessKind::mmio_write).empty());
}

TEST_F(CedtRcrb, AMembarInsideTheRegionIncludingBothEndsOverlaps) {
    const std::string end = "RCRB started at: 0x00000000fed00000RCRB ended at: 0x00000000fed01fff";
    struct Overlap {
        uint64_t mb0d, mb0u;
        Records findings;
    };
    const Overlap cases[] = {
        {kRcrb, kComponentUp,
         {fail("DP Membar0 overlapped with RCRB region. MB0D: 0x00000000fed00000" + end)}},
        {kRcrb | kBarAttributes, kComponentUp,
         {fail("DP Membar0 overlapped with RCRB region. MB0D: 0x00000000fed00004" + end)}},
        // The last 16-byte step of the region, with all attribute bits set.
        {kComponentDp, kRcrb + 0x1FFF,
         {fail("UP Membar0 overlapped with RCRB region. MB0U: 0x00000000fed01fff" + end)}},
        {kRcrb + 0x2000, kRcrb - 0x10, {}},
    };
    for (const Overlap& c : cases) {
        SCOPED_TRACE(c.mb0d);
        host(c.mb0d, c.mb0u);
        EXPECT_EQ(verdict(run(v1d1::CFG_8)), c.findings.empty() ? passed() : failed());
        EXPECT_EQ(records(), opening() + membars(c.mb0d, c.mb0u) + c.findings);
    }
}

TEST_F(CedtRcrb, AMembarNotReadOrUnassignedIsNeverUsedAsAnAddress) {
    const Record no_dp_ras = fail("Fail to read Downstream port's CXL RAS CAP Header Register.");
    // The upper half of the downstream MEMBAR0 cannot be read.
    host(kComponentDp, kComponentUp);
    fail_access(AccessKind::mmio_read, kRcrb + 0x14, 1);
    EXPECT_EQ(verdict(run(v1d1::CFG_8)), failed());
    const Records unread_dp = opening() +
                              Records{fail("Fail to read MemBar0 of Downstream Port.")} +
                              membars(0, kComponentUp) + Records{no_dp_ras};
    EXPECT_EQ(records(), unread_dp);
    const std::vector<uint64_t> read = {kRcrb + 0x10, kRcrb + 0x1010, kRcrb + 0x1014,
                                        kComponentUp + 0x1004};
    EXPECT_EQ(mmio_reads(), read);

    // The upstream MEMBAR0 is unassigned: its address is 0, with or without
    // attribute bits.
    for (const uint64_t unassigned : {uint64_t{0}, kBarAttributes}) {
        host(kComponentDp, unassigned);
        EXPECT_EQ(verdict(run(v1d1::CFG_8)), failed());
        EXPECT_EQ(records(), opening() + membars(kComponentDp, unassigned));
        EXPECT_EQ(mmio_reads().back(), kComponentDp + 0x1004);
    }

    // The upstream port's component registers do not answer.
    host(kComponentDp, kComponentUp);
    fail_access(AccessKind::mmio_read, kComponentUp + 0x1004, 1);
    EXPECT_EQ(verdict(run(v1d1::CFG_8)), failed());
    EXPECT_EQ(records(), opening() + membars(kComponentDp, kComponentUp));
}

TEST_F(CedtRcrb, OnlyAHostBridgeStructureOfACxl11BridgeIsRead) {
    host(kComponentDp, kComponentUp, 1);
    EXPECT_EQ(verdict(run(v1d1::CFG_8)),
              skipped("CXL Version read from CEDT is 0x0000000000000001 which is not cxl1.1. "
                      "Expect 0 for cxl1.1."));

    const Records opened = located() + Records{info("RCRB MEMBAR0 Location"),
                                               info("Reading CEDT ACPI Table"),
                                               debug("ACPI Table read")};
    std::vector<uint8_t> short_chbs = sim::cedt_chbs(7, 0, kRcrb, 0x2000);
    short_chbs[2] = 0x18;
    const std::vector<std::vector<uint8_t>> not_a_bridge[] = {
        {sim::cedt_cfmws({0x110000000, 0x100000000, 0, 0, 0, 0xF, 0, {7}}),
         sim::cedt_chbs(7, 0, kRcrb, 0x2000)},
        {short_chbs, std::vector<uint8_t>(8, 0)},
    };
    for (const auto& structures : not_a_bridge) {
        bus->set_acpi_table("CEDT", sim::cedt_table(structures));
        EXPECT_EQ(verdict(run(v1d1::CFG_8)),
                  failed("First CEDT structure is not a CXL Host Bridge Structure."));
        EXPECT_EQ(records(), opened);
        EXPECT_TRUE(mmio_reads().empty());
    }

    // Shorter than a header and one host bridge structure.
    std::vector<uint8_t> table = sim::cedt_table({sim::cedt_chbs(7, 0, kRcrb, 0x2000)});
    table.resize(60);
    bus->set_acpi_table("CEDT", table);
    EXPECT_EQ(verdict(run(v1d1::CFG_8)), failed("Fail to read CEDT ACPI Table."));
    const Records unread =
        located() + Records{info("RCRB MEMBAR0 Location"), info("Reading CEDT ACPI Table")};
    EXPECT_EQ(records(), unread);
}

TEST(QemuCedt, TheBuiltTableIsTheOneQemuGivesAndItsBridgeIsNoCxl11One) {
    const std::vector<uint8_t> dumped = sim::load_acpi_dump(kFixture);
    ASSERT_EQ(dumped.size(), 108u);
    const std::vector<uint8_t> built = sim::cedt_table(
        {sim::cedt_chbs(12, 1, 0x100000000, 0x10000),
         sim::cedt_cfmws({0x110000000, 0x100000000, 0, 0, 0, 0x000F, 0, {12}})});
    EXPECT_EQ(built, dumped);
}

class QemuHostBridge : public V11Test {};

TEST_F(QemuHostBridge, Cxl11CedtTestIsSkipped) {
    install(cxl_device().build());
    bus->set_acpi_table("CEDT", sim::load_acpi_dump(kFixture));
    EXPECT_EQ(verdict(run(v1d1::CFG_8)),
              skipped("CXL Version read from CEDT is 0x0000000000000001 which is not cxl1.1. "
                      "Expect 0 for cxl1.1."));
    EXPECT_TRUE(bus->log_of(AccessKind::mmio_read).empty());
}

TEST(AcpiDump, BrokenDumpsAreRefusedNamingTheLine) {
    sim::ScopedWorkDir dir;
    const struct {
        const char* text;
        const char* line;
    } broken[] = {
        {"header\n", "no hex section"},
        {"hex:\n0000: 43 45\n0004: 44\n", ":3:"},
        {"hex:\n0000: 43 4g\n", ":2:"},
        {"hex:\nzz: 43\n", ":2:"},
    };
    for (const auto& b : broken) {
        std::ofstream("dump.txt") << b.text;
        try {
            sim::load_acpi_dump("dump.txt");
            ADD_FAILURE() << b.text;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(b.line), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace v11
