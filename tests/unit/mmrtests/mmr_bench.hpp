#pragma once

// A simulated CXL function with its register blocks, and the test bundle that
// the memory-mapped register and memory tests are given for it.

#include <cstdint>
#include <memory>
#include <vector>

#include "common/cxl_types.hpp"
#include "common/sbdf.hpp"
#include "core/devices/devcomp.hpp"
#include "core/testcases/testools.hpp"
#include "sim/config_builder.hpp"
#include "sim/register_blocks.hpp"
#include "sim/sim_hwio.hpp"

#include "../model/log_capture.hpp"

namespace mmrbench {

using tarvo::SBDF;
namespace sim = tarvo::sim;

// Where the standard device of these tests keeps its blocks: the component
// block 64 KiB into BAR 2, the memory-device block at the start of BAR 4.
constexpr uint64_t kBar2 = 0xFE000000;
constexpr uint64_t kComponentBlock = kBar2 + 0x10000;
constexpr uint64_t kCacheMem = kComponentBlock + sim::kCacheMemOffset;
constexpr uint64_t kBar4 = 0xFE100000;
constexpr uint64_t kMemDevBlock = kBar4;
constexpr uint64_t kHdmPointer = 0x110;

// Every bench has an address of its own, so what a test recorded for the
// device of one bench never reaches the next.
inline SBDF next_address() {
    static uint32_t count = 0;
    ++count;
    return SBDF(1, count & 0xFF, (count >> 8) & 0x1F, 0);
}

struct Bench {
    SBDF sbdf = next_address();
    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    std::shared_ptr<sim::SimHwio> io = std::make_shared<sim::SimHwio>(bus);
    tarvo::core::Testools tt{
        std::make_shared<tarvo::core::DevComp>(sbdf.seg(), sbdf.bus(), sbdf.dev(), sbdf.fun(),
                                               0x8086, io, "Unknown vendor", "CXL Device",
                                               PCIE_EP, 0),
        std::make_shared<tarvo::core::TestMessenger>(), io};
    LogCapture log;

    // BARs 2 and 4 (64-bit) and a Register Locator with these entries.
    sim::ConfigBuilder config(const std::vector<sim::RegisterBlockEntry>& entries) const {
        sim::ConfigBuilder b;
        b.ids(0x8086, 0x0d93).bar(2, kBar2, 0x20000, true).bar(4, kBar4, 0x1000, true);
        sim::register_locator(b, entries);
        return b;
    }

    // The standard device: a component block with RAS, Link and HDM Decoder
    // headers, a memory-device block with Device Status, Primary Mailbox and
    // Memory Device Status capabilities, both versions 1 (RAS and Link 2).
    void standard_device() {
        bus->add_function(sbdf, config({{2, RBI_COMPONENT_REGISTER, 0x10000},
                                        {4, RBI_CXL_MEM_DEV_REGISTER, 0}})
                                    .build());
        component({{CXL_RAS_CAPABILITY, 2, 0x80},
                   {CXL_LINK_CAPABILITY, 2, 0xD8},
                   {CXL_HDM_DECODER_CAPABILITY, 1, kHdmPointer}});
        memory_device({{CXL_DEV_STATUS_REGISTER, 1, 0x80, 0x8},
                       {CXL_DEV_PRIMARY_MAILBOX_REGISTER, 1, 0x88, 0x820},
                       {CXL_DEV_MEMORY_REGISTER, 1, 0x8A8, 0x8}});
    }

    sim::RegisterBlock component(const std::vector<sim::CacheMemCapability>& caps) {
        sim::RegisterBlock block = sim::add_component_block(*bus, kComponentBlock, caps);
        // HDM Decoder Capability: DecoderCount 0, TargetCount 1.
        block.registers().set32(sim::kCacheMemOffset + kHdmPointer, 0x310);
        blocks.push_back(block);
        return block;
    }

    sim::RegisterBlock memory_device(const std::vector<sim::DeviceCapability>& caps) {
        sim::RegisterBlock block = sim::add_memory_device_block(*bus, kMemDevBlock, 0x1000, caps);
        blocks.push_back(block);
        return block;
    }

    std::vector<sim::RegisterBlock> blocks;
};

}  // namespace mmrbench
