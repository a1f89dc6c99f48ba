// The memory-mapped register tests on the QEMU root port (0c:00.0) and Type 3
// memory device (0d:00.0): configuration space from the lspci dumps, register
// blocks from bar-registers.txt, each answering by access width as QEMU does.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "comptests/mem_tests.hpp"
#include "comptests/mmr_tests.hpp"
#include "core/devices/devcomp.hpp"
#include "sim/lspci_dump.hpp"
#include "sim/register_blocks.hpp"
#include "sim/sim_hwio.hpp"

#include "../model/log_capture.hpp"

namespace {

using tarvo::SBDF;
using tarvo::core::TestResult;
using tarvo::core::Testools;
using tarvo::types::TestState;
namespace sim = tarvo::sim;

const std::string kQemu = std::string(TARVO_FIXTURE_DIR) + "/qemu/";

struct Qemu {
    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    std::vector<sim::DumpedBlock> blocks;
    LogCapture log;
    Qemu() {
        sim::load_lspci_dump(*bus, kQemu + "config-0000_0c_00_0.txt");
        sim::load_lspci_dump(*bus, kQemu + "config-0000_0d_00_0.txt");
        blocks = sim::load_bar_registers(*bus, kQemu + "bar-registers.txt");
    }
    Testools tools(SBDF sbdf, std::shared_ptr<tarvo::core::hwio> io) {
        auto device = std::make_shared<tarvo::core::DevComp>(
            sbdf.seg(), sbdf.bus(), sbdf.dev(), sbdf.fun(), 0x8086, io, "Unknown vendor",
            "CXL Device", PCIE_EP, 0);
        return Testools(device, std::make_shared<tarvo::core::TestMessenger>(), io);
    }
};

using Fn = TestResult (*)(Testools&);
const Fn kTests[] = {
    comptests2_0::MMR_1,  comptests2_0::MMR_2,  comptests2_0::MMR_3,  comptests2_0::MMR_4,
    comptests2_0::MMR_5,  comptests2_0::MMR_6,  comptests2_0::MMR_7,  comptests2_0::MMR_8,
    comptests2_0::MMR_9,  comptests2_0::MMR_10, comptests2_0::MMR_11, comptests2_0::MMR_12,
    comptests2_0::MMR_13, comptests2_0::MMR_14, comptests2_0::MMR_15, comptests2_0::MMR_16,
};

constexpr auto P = TestState::passed;
constexpr auto F = TestState::failed;
constexpr auto N = TestState::finished_not_supported;
constexpr auto S = TestState::skipped;

struct Device {
    const char* name;
    SBDF sbdf;
    TestState::state expected[16];
};

// Both functions have a Register Locator DVSEC whose entry 1 names the
// component block at BAR 0 offset 0. Each verdict, from bar-registers.txt:
//
// Root port 0c:00.0, component block at 0xfe800000; its CXL Capability
// Header 0x05110001 is ID 1, versions 1, Array_Size 5, followed by RAS
// (ID 2, version 2), Link (4, v2), HDM Decoder (5, v1, pointer 0x110),
// Extended Security (6, v1) and Snoop Filter (8, v1):
//   1 P header right; 2 P RAS v2; 3 N no Security header; 4 P Link v2;
//   5 P HDM v1; 6 P Extended Security v1; 7 N no IDE header; 8 P HDM Decoder
//   Capability 0x310 = DecoderCount 0, TargetCount 1; 9, 10 S; 11 P Snoop
//   Filter v1; 12 F no memory-device block among the entries; 13-16 N the
//   port has recorded no device capability.
//
// Type 3 device 0d:00.0, component block at 0xfe600000 with header
// 0x03110001 (Array_Size 3: RAS v2, Link v2, HDM Decoder v1 at 0x110), and
// entry 2 naming the memory-device block at BAR 2 (0xfe610000), whose array
// register 0x0000000300010000 is ID 0, version 1, three capabilities:
// Device Status (1), Primary Mailbox (2), Memory Device Status (0x4000),
// each version 1:
//   1 P; 2 P; 3 N; 4 P; 5 P; 6 N no Extended Security header; 7 N; 8 P
//   (0x310); 9, 10 S; 11 N no Snoop Filter header; 12 P; 13 P; 14 P; 15 N no
//   Secondary Mailbox; 16 P.
const Device kDevices[] = {
    {"root port", SBDF(0, 0x0c, 0, 0), {P, P, N, P, P, P, N, P, S, S, P, F, N, N, N, N}},
    {"type 3 device", SBDF(0, 0x0d, 0, 0), {P, P, N, P, P, N, N, P, S, S, N, P, P, P, N, P}},
};

TEST(QemuMmr, AscendingOrderGivesTheVerdictsTheRegisterBlocksImply) {
    Qemu q;
    auto io = std::make_shared<sim::SimHwio>(q.bus);
    for (const Device& d : kDevices) {
        Testools tt = q.tools(d.sbdf, io);
        for (int n = 0; n < 16; ++n) {
            EXPECT_EQ(kTests[n](tt).state.value(), d.expected[n])
                << d.name << ": 2/MMR/" << n + 1;
        }
    }
}

TEST(QemuMem, TypeThreeDeviceRanges) {
    // Range 1 Size Low has Memory Class 2; the Flex Bus capability announces
    // one HDM range.
    Qemu q;
    Testools tt = q.tools(SBDF(0, 0x0d, 0, 0), std::make_shared<sim::SimHwio>(q.bus));
    const TestResult mem1 = comptests2_0::MEM_1(tt);
    EXPECT_EQ(mem1.state.value(), F);
    EXPECT_EQ(mem1.msg, "Memory_Class register different of 0x0 and 0x1.\n");
    const TestResult mem2 = comptests2_0::MEM_2(tt);
    EXPECT_EQ(mem2.state.value(), N);
    EXPECT_EQ(mem2.msg, "Device doesn't support two HDM ranges.\n");
}

// Reads memory-mapped registers one byte at a time, as a plain copy may.
class BytewiseHwio : public sim::SimHwio {
public:
    using sim::SimHwio::SimHwio;
    int ReadMMIO(unsigned char* buf, uint64_t addr, int len) override {
        for (int i = 0; i < len; ++i) {
            if (sim::SimHwio::ReadMMIO(buf + i, addr + static_cast<uint64_t>(i), 1) == 0) {
                return 0;
            }
        }
        return 1;
    }
};

TEST(QemuMmr, ReadsAtAnotherWidthSeeOtherValues) {
    // QEMU answers byte reads of the CXL.cache/mem registers with 0, so the
    // header reads as ID 0 and the Device Capabilities Array as count 0.
    Qemu q;
    Testools tt = q.tools(SBDF(0, 0x0d, 0, 0), std::make_shared<BytewiseHwio>(q.bus));
    EXPECT_EQ(comptests2_0::MMR_1(tt).state.value(), N);
    EXPECT_EQ(comptests2_0::MMR_12(tt).state.value(), F);
}

}  // namespace
