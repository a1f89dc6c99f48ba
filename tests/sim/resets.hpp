#pragma once

// Resets of a simulated function, attached to its configuration space as
// hooks on the bus while the handle lives (the bus must outlive it).
//
//   sim::FunctionLevelReset flr(*bus, fn, pcie_cap, sim::FlrMemory::cleared, {&hdm});
//   sim::CxlReset reset(*bus, fn, dvsec, sim::CxlResetOutcome::completes);
//   ... run the code under test ...
//   EXPECT_EQ(flr.resets(), 1u);

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "common/sbdf.hpp"
#include "sim/sim_bus.hpp"

namespace tarvo {
namespace sim {

// What a Function Level Reset does to the memory behind the function.
enum class FlrMemory { kept, cleared };

// A write to Device Control (PCI Express Capability at pcie_cap, + 8) with
// Initiate FLR (bit 15) set resets the function: Initiate FLR reads 0 again,
// and with FlrMemory::cleared every byte of the given ranges becomes 0.
class FunctionLevelReset {
public:
    FunctionLevelReset(SimBus& bus, SBDF sbdf, size_t pcie_cap, FlrMemory memory,
                       std::vector<MemRange*> ranges = {});
    ~FunctionLevelReset();
    FunctionLevelReset(const FunctionLevelReset&) = delete;
    FunctionLevelReset& operator=(const FunctionLevelReset&) = delete;
    unsigned resets() const { return *m_resets; }

private:
    SimBus& m_bus;
    std::vector<HookId> m_hooks;
    std::shared_ptr<unsigned> m_resets = std::make_shared<unsigned>(0);
};

// How a CXL Reset ends, as DVSEC CXL Status2 reports it.
enum class CxlResetOutcome {
    completes,       // CXL Reset Complete set
    reports_error,   // CXL Reset Error set
    never_completes  // both stay clear
};

// A write to DVSEC CXL Control2 (PCIe DVSEC for CXL devices at dvsec, + 0x10)
// with Initiate CXL Reset (bit 2) set starts a CXL Reset: the bit reads 0
// again, CXL Reset Complete and CXL Reset Error (Status2 at + 0x12, bits 1
// and 2) clear, on_reset runs (a device puts its registers back to their
// defaults), and from the settle_reads-th read of Status2 on the outcome
// shows. With the default of 2 the first read after the start still finds
// the reset running.
class CxlReset {
public:
    CxlReset(SimBus& bus, SBDF sbdf, size_t dvsec, CxlResetOutcome outcome,
             unsigned settle_reads = 2, std::function<void()> on_reset = nullptr);
    ~CxlReset();
    CxlReset(const CxlReset&) = delete;
    CxlReset& operator=(const CxlReset&) = delete;
    unsigned resets() const { return m_state->resets; }

private:
    SimBus& m_bus;
    std::vector<HookId> m_hooks;
    struct State {
        unsigned resets = 0;
        bool running = false;
        unsigned reads = 0;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

}  // namespace sim
}  // namespace tarvo
