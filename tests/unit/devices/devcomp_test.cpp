// The device component on a simulated function: BAR decoding, probing, its
// texts, the tree links and DOE forwarding.

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>

#include "core/devices/devcomp.hpp"
#include "unit/devices/config_layout.hpp"
#include "sim/sim_hwio.hpp"

namespace tarvo {
namespace {

using devtest::cxl_dvsec;
using sim::AccessKind;

const SBDF kFn(0, 0x3a, 0, 1);
constexpr uint64_t kAllOnes = ~uint64_t{0};

// Captures standard output and restores the stream's flags afterwards.
class StdoutCapture {
public:
    StdoutCapture() : m_flags(std::cout.flags()) { testing::internal::CaptureStdout(); }
    std::string text() {
        std::cout.flags(m_flags);
        return testing::internal::GetCapturedStdout();
    }

private:
    std::ios_base::fmtflags m_flags;
};

class DevCompTest : public ::testing::Test {
protected:
    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    sim::ConfigSpace& cfg = bus->add_function(kFn);
    core::DevComp dev{kFn.seg(), kFn.bus(), kFn.dev(), kFn.fun(), 0x8086,
                      std::make_shared<sim::SimHwio>(bus), "Unknown vendor", "CXL Device",
                      RCIEP, 0};
};

TEST_F(DevCompTest, DecodesMemoryBars) {
    struct Case {
        const char* what;
        int index;
        uint32_t bar, next;
        uint64_t expected;
    };
    const Case cases[] = {
        {"64-bit BAR", 0, 0xFE000004, 0x00000001, 0x1FE000000},
        {"64-bit prefetchable BAR", 0, 0xFE00000C, 0x00000002, 0x2FE000000},
        {"32-bit BAR", 2, 0xFE010000, 0x12345678, 0xFE010000},
        {"32-bit BAR at the last index", 5, 0xFE020008, 0, 0xFE020000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cfg.set32(0x10 + 4 * c.index, c.bar);
        if (c.index < 5) cfg.set32(0x14 + 4 * c.index, c.next);
        StdoutCapture out;
        EXPECT_EQ(dev.GetBARAddr(c.index), c.expected);
        EXPECT_EQ(out.text(), "");
    }
}

TEST_F(DevCompTest, UndecodableBarsFailWithAllOnes) {
    struct Case {
        const char* what;
        int index;
        uint32_t bar;
        const char* line;
    };
    const Case cases[] = {
        {"empty BAR", 2, 0x00000000, "Fail to find given BAR index2\n"},
        {"nothing left after the flag bits", 1, 0x00000003, "Fail to find given BAR index1\n"},
        {"I/O BAR", 3, 0x0000E001, "Fail to find given BAR index3\n"},
        {"absent function reads all ones", 4, 0xFFFFFFFF, "Fail to find given BAR index4\n"},
        {"64-bit BAR at the last index", 5, 0xFE000004, "Fail to find given BAR index5\n"},
        {"index past the last BAR", 6, 0xFE000000, "Fail to find given BAR index6\n"},
        {"negative index", -1, 0xFE000000, "Fail to find given BAR index-1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.index >= 0 && c.index < 6) cfg.set32(0x10 + 4 * c.index, c.bar);
        bus->clear_log();
        StdoutCapture out;
        EXPECT_EQ(dev.GetBARAddr(c.index), kAllOnes);
        EXPECT_EQ(out.text(), c.line);
        for (const auto& access : bus->log_of(AccessKind::config_read)) {
            EXPECT_GE(access.address, 0x10u);
            EXPECT_LT(access.address, 0x28u);  // never past the BARs
        }
    }
}

TEST_F(DevCompTest, UnreadableBarFails) {
    bus->fail_at(AccessKind::config_read, 0x10, kFn);
    cfg.set32(0x10, 0xFE000000);
    StdoutCapture out;
    EXPECT_EQ(dev.GetBARAddr(0), kAllOnes);
    EXPECT_EQ(out.text(), "Fail to find given BAR index0\n");
}

TEST_F(DevCompTest, UnreadableHighHalfCountsAsZero) {
    cfg.set32(0x10, 0xFE000004);
    cfg.set32(0x14, 0xAAAAAAAA);
    bus->fail_at(AccessKind::config_read, 0x14, kFn);
    EXPECT_EQ(dev.GetBARAddr(0), 0xFE000000u);
}

TEST_F(DevCompTest, ProbingFindsPortTypeAndBothDvsecs) {
    cfg.set8(0x34, 0x40);
    devtest::pcie_cap(cfg, 0x40, 0x00, PCIE_EP);
    cxl_dvsec(cfg, 0x100, PCIE_DVSECFOR_TEST_CAP, 0x140);
    cxl_dvsec(cfg, 0x140, PCIE_DVSEC_FOR_CXL_DEV, 0x000);
    dev.PopulateProperties();
    EXPECT_TRUE(dev.IsCxl());
    EXPECT_EQ(dev.GetCompType(), PCIE_EP);
    StdoutCapture out;
    dev.DisplayDVSECOffsets();
    EXPECT_EQ(out.text(),
              "DVSEC FOR CXL DEVICE Offset: 0x140\nDVSEC FOR TEST CAPABILITY Offset: 0x100\n");

    // A second probe keeps the offsets found first.
    cxl_dvsec(cfg, 0x100, PCIE_DVSEC_FOR_CXL_DEV, 0x000);
    dev.PopulateProperties();
    StdoutCapture again;
    dev.DisplayDVSECOffsets();
    EXPECT_EQ(again.text(),
              "DVSEC FOR CXL DEVICE Offset: 0x140\nDVSEC FOR TEST CAPABILITY Offset: 0x100\n");
}

TEST_F(DevCompTest, ProbingAFunctionWithoutCxlDvsecs) {
    cxl_dvsec(cfg, 0x100, REG_LOCATOR_DVSEC, 0x000);  // a CXL DVSEC, but not one that counts
    dev.PopulateProperties();
    EXPECT_FALSE(dev.IsCxl());
    EXPECT_EQ(dev.GetCompType(), RCIEP);  // no PCI Express Capability: kept
    StdoutCapture out;
    dev.DisplayDVSECOffsets();
    EXPECT_EQ(out.text(), "No DVSEC offsets discovered\n");
}

TEST_F(DevCompTest, TextAndTreeLinks) {
    EXPECT_EQ(dev.str(), "3a:0000.01:Unknown vendor - CXL Device");
    dev.SetName("Memory Device");
    EXPECT_EQ(dev.GetDevName(), "Memory Device");
    EXPECT_EQ(dev.GetSBDF(), 0x3A01u);

    core::DevComp* parent = reinterpret_cast<core::DevComp*>(0x1);
    EXPECT_EQ(dev.GetParentNode(&parent), 1);
    EXPECT_EQ(parent, reinterpret_cast<core::DevComp*>(0x1));
    core::DevComp root(0, 0x39, 0, 0, 0x8086, nullptr, "v", "root", RP, 0);
    dev.SetParentNode(&root);
    EXPECT_EQ(dev.GetParentNode(&parent), 0);
    EXPECT_EQ(parent, &root);

    EXPECT_FALSE(root.HasChildren());
    auto child = std::make_shared<core::DevComp>(0, 0x3a, 0, 1, 0x8086, nullptr, "v", "c", RCIEP, 0);
    root.InsertChildDevice(child);
    EXPECT_TRUE(root.HasChildren());
    ASSERT_EQ(root.GetChildDevicesPtr()->size(), 1u);
    EXPECT_EQ(root.GetChildDevicesPtr()->front(), child);
}

TEST_F(DevCompTest, RegisterAccessUsesTheFunctionsDword) {
    cfg.set32(0x04, 0x00100006);
    cfg.set_attr(0x04, 2, 0xFFFF);
    struct Command : core::Register {
        Command() : Register("Command", "", "", 0x4, 16) {
            fields.emplace_back("All", "", 0, 16, 0);
        }
    } command;
    ASSERT_EQ(dev.ReadPCI(0, command), 0);
    EXPECT_EQ(command.GetValue(), 0x0006u);
    command.SetValue(0x0106);
    ASSERT_EQ(dev.WritePCI(0, command), 0);
    EXPECT_EQ(cfg.get32(0x04), 0x00100106u);

    bus->fail_at(AccessKind::config_read, 0x04, kFn);
    command.SetValue(0x1234);
    EXPECT_EQ(dev.ReadPCI(0, command), -1);
    EXPECT_EQ(command.GetValue(), 0x1234u);  // unchanged
    EXPECT_EQ(dev.WritePCI(0, command), -1);
    EXPECT_EQ(cfg.get32(0x04), 0x00100106u);
}

TEST_F(DevCompTest, DoeExchangeStopsAtAFailedWrite) {
    unsigned char buf[0x40] = {};
    EXPECT_EQ(dev.ExchangeDOEObject(buf, sizeof buf), 0);  // no DOE device
    EXPECT_TRUE(bus->log_of(AccessKind::doe_read).empty());

    bus->set_doe_device(true);
    EXPECT_EQ(dev.ExchangeDOEObject(buf, sizeof buf), 1);
    const auto writes = bus->log_of(AccessKind::doe_write);
    const auto reads = bus->log_of(AccessKind::doe_read);
    ASSERT_EQ(reads.size(), 1u);
    // The device is never handed more than the caller's buffer.
    EXPECT_EQ(writes.back().len, 0x40);
    EXPECT_EQ(reads.back().len, 0x40);
}

}  // namespace
}  // namespace tarvo
