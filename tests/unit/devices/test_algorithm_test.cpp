// The test-algorithm register block of the Test Capability DVSEC.

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/devices/devcomp.hpp"
#include "unit/devices/config_layout.hpp"
#include "unit/model/log_capture.hpp"
#include "sim/sim_hwio.hpp"

namespace tarvo {
namespace {

using Record = LogCapture::Record;
using sim::AccessKind;

const SBDF kFn(0, 0x3a, 0, 0);
constexpr uint32_t kDvsec = 0x100;
constexpr uint64_t kBase = 0x1ABCDE000;

using Setter = int (core::DevComp::*)(uint64_t, uint64_t);
using Getter = int (core::DevComp::*)(uint64_t, uint64_t&);

struct TestRegister {
    const char* name;
    Setter set;
    Getter get;
    uint64_t offset;
    size_t bytes;
};

const TestRegister kRegisters[] = {
    {"TestAlgoStartAddress1", &core::DevComp::SetTestAlgoStartAddress1,
     &core::DevComp::GetTestAlgoStartAddress1, 0x00, 8},
    {"TestAlgoWriteBackAddress1", &core::DevComp::SetTestAlgoWriteBackAddress1,
     &core::DevComp::GetTestAlgoWriteBackAddress1, 0x08, 8},
    {"TestAlgoIncrement", &core::DevComp::SetTestAlgoIncrement,
     &core::DevComp::GetTestAlgoIncrement, 0x10, 8},
    {"TestAlgoPattern", &core::DevComp::SetTestAlgoPattern, &core::DevComp::GetTestAlgoPattern,
     0x18, 8},
    {"TestAlgoByteMask", &core::DevComp::SetTestAlgoByteMask,
     &core::DevComp::GetTestAlgoByteMask, 0x20, 8},
    {"TestAlgoPatternConfiguration", &core::DevComp::SetTestAlgoPatternConfiguration,
     &core::DevComp::GetTestAlgoPatternConfiguration, 0x28, 8},
    {"TestAlgoAlgorithmConfiguration", &core::DevComp::SetTestAlgoAlgorithmConfiguration,
     &core::DevComp::GetTestAlgoAlgorithmConfiguration, 0x30, 8},
    {"TestAlgoDeviceErrorInjection", &core::DevComp::SetTestAlgoDeviceErrorInjection,
     &core::DevComp::GetTestAlgoDeviceErrorInjection, 0x38, 4},
};

class TestAlgorithmTest : public ::testing::Test {
protected:
    TestAlgorithmTest() { lay_out_dvsec(); }

    // The Test Capability DVSEC, pointing at the block at kBase.
    void lay_out_dvsec() {
        devtest::cxl_dvsec(cfg, kDvsec, PCIE_DVSECFOR_TEST_CAP, 0x000);
        cfg.set32(kDvsec + 0x14, 0xABCDE000);  // BaseLow 0xABCDE00
        cfg.set32(kDvsec + 0x18, 0x1);         // BaseHigh
    }

    std::string run_quietly(const std::function<void()>& body) {
        const auto flags = std::cout.flags();
        testing::internal::CaptureStdout();
        body();
        std::cout.flags(flags);
        return testing::internal::GetCapturedStdout();
    }

    std::vector<sim::Access> memory_writes() const { return bus->log_of(AccessKind::mmio_write); }

    LogCapture quiet;  // keeps the records off the console
    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    sim::ConfigSpace& cfg = bus->add_function(kFn);
    sim::MemRange& block = bus->add_memory(kBase, 0x40);
    core::DevComp dev{kFn.seg(), kFn.bus(), kFn.dev(), kFn.fun(), 0x8086,
                      std::make_shared<sim::SimHwio>(bus), "Unknown vendor", "CXL Device",
                      RCIEP, 0};
};

TEST_F(TestAlgorithmTest, BaseAddressComesFromTheDvsec) {
    uint64_t base = 0;
    ASSERT_EQ(dev.GetTestAlgorithmBaseAddr(base), 0);
    EXPECT_EQ(base, kBase);
}

TEST_F(TestAlgorithmTest, BaseAddressFailures) {
    struct Case {
        const char* what;
        std::function<void(sim::SimBus&, sim::ConfigSpace&)> fault;
        const char* line;
    };
    const Case cases[] = {
        {"no Test Capability DVSEC",
         [](sim::SimBus&, sim::ConfigSpace& c) { c.set32(kDvsec, 0); },
         "Fail to find PCIe DVSEC for Test Capability offset\n"},
        {"capability register unreadable",
         [](sim::SimBus& b, sim::ConfigSpace&) {
             b.fail_at(AccessKind::config_read, kDvsec + 0xC, kFn);
         },
         "Fail to read DVSECCXLTestCapability1\n"},
        {"base low unreadable",
         [](sim::SimBus& b, sim::ConfigSpace&) {
             b.fail_at(AccessKind::config_read, kDvsec + 0x14, kFn);
         },
         "Fail to read DVSECCXLTestConfigurationBaseLow\n"},
        {"base high unreadable",
         [](sim::SimBus& b, sim::ConfigSpace&) {
             b.fail_at(AccessKind::config_read, kDvsec + 0x18, kFn);
         },
         "Fail to read DVSECCXLTestConfigurationBaseHigh\n"},
        {"block never programmed",
         [](sim::SimBus&, sim::ConfigSpace& c) {
             c.set32(kDvsec + 0x14, 0x0000000F);  // only the low flag bits
             c.set32(kDvsec + 0x18, 0);
         },
         "Test Capability DVSEC holds no test configuration base address\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bus->clear_faults();
        lay_out_dvsec();
        c.fault(*bus, cfg);
        uint64_t base = 0x77;
        int rc = 0;
        EXPECT_EQ(run_quietly([&] { rc = dev.GetTestAlgorithmBaseAddr(base); }), c.line);
        EXPECT_EQ(rc, -1);
        EXPECT_EQ(base, 0x77u);
    }
}

TEST_F(TestAlgorithmTest, EachRegisterIsWrittenAndReadAtItsOwnPlaceAndWidth) {
    for (const TestRegister& reg : kRegisters) {
        SCOPED_TRACE(reg.name);
        block.set_bytes(0, std::vector<uint8_t>(0x40, 0xEE));
        ASSERT_EQ((dev.*reg.set)(kBase, 0x1122334455667788), 0);
        const uint64_t expected =
            reg.bytes == 8 ? 0x1122334455667788 : 0x55667788;  // bits past the width dropped
        EXPECT_EQ(block.get(reg.offset, reg.bytes), expected);
        if (reg.offset + reg.bytes < 0x40) {
            EXPECT_EQ(block.get8(reg.offset + reg.bytes), 0xEE);  // neighbour untouched
        }
        uint64_t val = 0;
        std::string out = run_quietly([&] { EXPECT_EQ((dev.*reg.get)(kBase, val), 0); });
        EXPECT_EQ(val, expected);
        EXPECT_EQ(out.rfind(std::string("Reading Test register ") + reg.name, 0), 0u) << out;
    }
}

TEST_F(TestAlgorithmTest, WriteLogsTheValueInHex) {
    LogCapture log;
    ASSERT_EQ(dev.SetTestAlgoPattern(kBase, 0xa5a5), 0);
    EXPECT_EQ(log.records(), (std::vector<Record>{{debug_2, "[TestAlgoPattern] = 0xa5a5"}}));
}

TEST_F(TestAlgorithmTest, ErrorInjectionWritesFourBytes) {
    ASSERT_EQ(dev.SetTestAlgoDeviceErrorInjection(kBase, 0x100000003), 0);
    const auto writes = memory_writes();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front().address, kBase + 0x38);
    size_t total = 0;
    for (const auto& w : writes) total += static_cast<size_t>(w.len);
    EXPECT_EQ(total, 4u);
    EXPECT_EQ(block.get32(0x38), 0x00000003u);
}

TEST_F(TestAlgorithmTest, FailedAccessesPrintTheirLines) {
    bus->fail_at(AccessKind::mmio_write, kBase + 0x20);
    bus->fail_at(AccessKind::mmio_read, kBase + 0x20);
    int rc = 0;
    EXPECT_EQ(run_quietly([&] { rc = dev.SetTestAlgoByteMask(kBase, 1); }),
              "Fail to write to TestAlgoByteMask\n");
    EXPECT_EQ(rc, -1);
    uint64_t val = 0x99;
    EXPECT_EQ(run_quietly([&] { rc = dev.GetTestAlgoByteMask(kBase, val); }),
              "Reading Test register TestAlgoByteMask \nFail to read TestAlgoByteMask \n");
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(val, 0x99u);
}

TEST_F(TestAlgorithmTest, SetupWritesTheEightRegistersInOrder) {
    LogCapture log;
    ASSERT_EQ(dev.TestAlgorithmSetup(1, 2, 3, 4, 5, 6, 7, 8), 0);
    for (const TestRegister& reg : kRegisters) {
        EXPECT_EQ(block.get(reg.offset, reg.bytes), (reg.offset / 8) + 1) << reg.name;
    }
    std::vector<uint64_t> order;
    for (const auto& w : memory_writes()) {
        if (order.empty() || order.back() != w.address - w.address % 8) {
            order.push_back(w.address - w.address % 8);
        }
    }
    ASSERT_EQ(order.size(), 8u);
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(order[i], kBase + 8 * i);
    const auto records = log.records();
    ASSERT_EQ(records.size(), 9u);
    EXPECT_EQ(records.front(), (Record{debug_2, "TestAlgorithmSetup Starts"}));
}

TEST_F(TestAlgorithmTest, SetupWithoutTheDvsecWritesNothing) {
    cfg.set32(kDvsec, 0);
    LogCapture log;
    int rc = 0;
    run_quietly([&] { rc = dev.TestAlgorithmSetup(1, 2, 3, 4, 5, 6, 7, 8); });
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(log.records(),
              (std::vector<Record>{{debug_2, "TestAlgorithmSetup Starts"},
                                   {debug_2, "Fail to find Test Algorithms base high and low address."}}));
    EXPECT_TRUE(memory_writes().empty());
}

TEST_F(TestAlgorithmTest, SetupStopsAtTheFirstFailedWrite) {
    bus->fail_at(AccessKind::mmio_write, kBase + 0x10);  // Increment
    int rc = 0;
    EXPECT_EQ(run_quietly([&] { rc = dev.TestAlgorithmSetup(1, 2, 3, 4, 5, 6, 7, 8); }),
              "Fail to write to TestAlgoIncrement\n");
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(block.get64(0x08), 2u);  // written before the failure, left as written
    for (const auto& w : memory_writes()) {
        EXPECT_LE(w.address, kBase + 0x10) << "written after the failure";
    }
}

}  // namespace
}  // namespace tarvo
