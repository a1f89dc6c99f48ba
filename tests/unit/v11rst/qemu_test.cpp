// The CXL 1.1 configuration and reset tests on QEMU's Type 3 memory device
// (0d:00.0) and host bridge: configuration space from the lspci dumps,
// register blocks from bar-registers.txt, the CEDT from acpi.txt.

#include <string>

#include "comptests/reset_tests.hpp"
#include "comptests/v1d1_config_tests.hpp"
#include "sim/acpi_tables.hpp"
#include "sim/lspci_dump.hpp"
#include "sim/register_blocks.hpp"
#include "unit/v11rst/v11_bench.hpp"

namespace v11 {
namespace {

namespace v1d1 = tarvo::compliance::v1d1;
namespace v2d0 = tarvo::compliance::v2d0;

const std::string kQemu = std::string(TARVO_FIXTURE_DIR) + "/qemu/";

class QemuDevice : public V11Test {
public:
    QemuDevice() {
        sim::load_lspci_dump(*bus, kQemu + "config-0000_0c_00_0.txt");
        sim::load_lspci_dump(*bus, kQemu + "config-0000_0d_00_0.txt");
        sim::load_bar_registers(*bus, kQemu + "bar-registers.txt");
        bus->set_acpi_table("CEDT", sim::load_acpi_dump(kQemu + "acpi.txt"));
    }
};

TEST_F(QemuDevice, VerdictsOfTheType3Device) {
    const struct {
        const char* name;
        tarvo::TestFunction test;
        Verdict result;
    } runs[] = {
        {"1.1/CFG/1", v1d1::CFG_1, passed()},
        {"1.1/CFG/2", v1d1::CFG_2, passed()},
        {"1.1/CFG/3", v1d1::CFG_3, passed()},
        {"1.1/CFG/4", v1d1::CFG_4, passed()},
        {"1.1/CFG/5", v1d1::CFG_5, passed()},
        // Range 1 describes its media through CDAT (type and class 2), no
        // CXL 1.1 value.
        {"1.1/CFG/6", v1d1::CFG_6, failed()},
        {"1.1/CFG/7", v1d1::CFG_7, passed()},
        {"1.1/CFG/8", v1d1::CFG_8,
         skipped("CXL Version read from CEDT is 0x0000000000000001 which is not cxl1.1. "
                 "Expect 0 for cxl1.1.")},
        // Range 1 is not programmed (base 0).
        {"1.1/CFG/13", v1d1::CFG_13, failed("Fail to write to hdm_address: 0x0000000000000000")},
        {"1.1/CFG/14", v1d1::CFG_14, failed("AER Extended Capability Structure Not Found")},
        {"2/RST/6", v2d0::RST_6, failed("Fail to write to hdm_address: 0x0000000000000000")},
        {"2/RST/7", v2d0::RST_7, failed("Device doesn't support CXL reset.\n")},
    };
    const uint64_t control = bus->config(kSut).get16(0x10C + 0x0C);
    for (const auto& r : runs) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(verdict(run(r.test)), r.result);
        for (auto kind : {sim::AccessKind::phys_write, sim::AccessKind::mmio_write}) {
            EXPECT_TRUE(accesses(kind).empty());
        }
    }
    // 1.1/CFG/5 put DVSEC CXL Control back.
    EXPECT_EQ(bus->config(kSut).get16(0x10C + 0x0C), control);

    run(v1d1::CFG_6);
    const Records range1 = {
        not_located()[0], debug("  (DVSEC_OFFSET): 10c (expected existence only)"),
        info("Flex bus range 1 launched"),
        fail("Media Type valid values are 0x00000000 or 0x00000001 only. Read "
             "0x0000000000000002"),
        fail("Memory Class valid values are 0x00000000 or 0x00000001 only. Read "
             "0x0000000000000002")};
    EXPECT_EQ(records(), range1);
}

}  // namespace
}  // namespace v11
