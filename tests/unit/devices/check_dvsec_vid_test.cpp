// The DVSEC vendor check of the presence test, over a simulated function.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "comptests/check_dvsec_vid.hpp"
#include "core/devices/devcomp.hpp"
#include "core/testcases/testmessenger.hpp"
#include "unit/devices/config_layout.hpp"
#include "unit/model/log_capture.hpp"
#include "sim/sim_hwio.hpp"

namespace tarvo {
namespace {

using Record = LogCapture::Record;
using sim::AccessKind;

const SBDF kFn(0, 0x0d, 0, 0);

class CheckDvsecVidTest : public ::testing::Test {
protected:
    CheckDvsecVidTest() { devtest::cxl_dvsec(cfg, 0x100, PCIE_DVSEC_FOR_CXL_DEV, 0x000); }

    int check(DVSEC_ID_t id, uint64_t& base) {
        auto hw = std::make_shared<sim::SimHwio>(bus);
        auto device = std::make_shared<core::DevComp>(kFn.seg(), kFn.bus(), kFn.dev(), kFn.fun(),
                                                      0x8086, hw, "v", "d", RCIEP, 0);
        core::Testools tt(device, std::make_shared<core::TestMessenger>(), hw);
        return compliance::v2d0::check_dvsec_vid(tt, id, base);
    }

    LogCapture log;
    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    sim::ConfigSpace& cfg = bus->add_function(kFn);
};

const Record kReading{info, "Reading Designated Vendor-Specific Header1"};

TEST_F(CheckDvsecVidTest, FoundWithTheCxlVendor) {
    uint64_t base = 0;
    EXPECT_EQ(check(PCIE_DVSEC_FOR_CXL_DEV, base), 0);
    EXPECT_EQ(base, 0x100u);
    EXPECT_EQ(log.records(), std::vector<Record>{kReading});
}

TEST_F(CheckDvsecVidTest, MissingDvsecWarnsOnce) {
    uint64_t base = 0x77;
    EXPECT_EQ(check(CXL_MLD_DVSEC, base), -1);
    EXPECT_EQ(base, 0x77u);
    EXPECT_EQ(log.records(),
              (std::vector<Record>{{warning, "Fail to find PCIe DVSEC for CXL Device"}}));
}

TEST_F(CheckDvsecVidTest, HeaderUnreadableAfterTheLookup) {
    bus->fail_after(AccessKind::config_read, 3);  // the walk's header, header 1 and header 2
    uint64_t base = 0;
    EXPECT_EQ(check(PCIE_DVSEC_FOR_CXL_DEV, base), -2);
    EXPECT_EQ(log.records(),
              (std::vector<Record>{kReading, {warning, "Fail to read DVSECHeader1"}}));
}

TEST_F(CheckDvsecVidTest, VendorChangedAfterTheLookup) {
    int reads = 0;
    bus->on_config_read(kFn, 0x104, 0x108, [&reads](const sim::ConfigEvent& e) {
        if (++reads == 2) e.space.set16(0x104, 0x8086);
    });
    uint64_t base = 0;
    EXPECT_EQ(check(PCIE_DVSEC_FOR_CXL_DEV, base), -3);
    EXPECT_EQ(log.records(),
              (std::vector<Record>{kReading,
                                   {info, "Mismatch field DVSECVID expected:0x1e98 read:0x8086\n"}}));
}

}  // namespace
}  // namespace tarvo
