#include "sim/resets.hpp"

#include <utility>

namespace tarvo {
namespace sim {
namespace {

constexpr size_t kDeviceControl = 0x08;
constexpr uint16_t kInitiateFlr = 0x8000;
constexpr size_t kControl2 = 0x10;
constexpr size_t kStatus2 = 0x12;
constexpr uint16_t kInitiateCxlReset = 0x0004;
constexpr uint16_t kResetComplete = 0x0002;
constexpr uint16_t kResetError = 0x0004;

// The 16-bit value a write put at offset, when the write covered it whole.
bool written16(const ConfigEvent& e, size_t offset, uint16_t& value) {
    if (e.data == nullptr || offset < e.offset || offset + 2 > size_t{e.offset} + e.len) {
        return false;
    }
    const size_t at = offset - e.offset;
    value = static_cast<uint16_t>(e.data[at] | e.data[at + 1] << 8);
    return true;
}

void remove_hooks(SimBus& bus, const std::vector<HookId>& hooks) {
    for (HookId id : hooks) {
        bus.remove_hook(id);
    }
}

}  // namespace

FunctionLevelReset::FunctionLevelReset(SimBus& bus, SBDF sbdf, size_t pcie_cap, FlrMemory memory,
                                       std::vector<MemRange*> ranges)
    : m_bus(bus) {
    const size_t devctl = pcie_cap + kDeviceControl;
    auto resets = m_resets;
    m_hooks.push_back(bus.on_config_write(
        sbdf, static_cast<uint32_t>(devctl), static_cast<uint32_t>(devctl + 2),
        [=](const ConfigEvent& e) {
            uint16_t value = 0;
            if (!written16(e, devctl, value) || (value & kInitiateFlr) == 0) {
                return;
            }
            ++*resets;
            e.space.set16(devctl, static_cast<uint16_t>(e.space.get16(devctl) & ~kInitiateFlr));
            if (memory == FlrMemory::cleared) {
                for (MemRange* range : ranges) {
                    range->set_bytes(0, std::vector<uint8_t>(range->size(), 0));
                }
            }
        }));
}

FunctionLevelReset::~FunctionLevelReset() { remove_hooks(m_bus, m_hooks); }

CxlReset::CxlReset(SimBus& bus, SBDF sbdf, size_t dvsec, CxlResetOutcome outcome,
                   unsigned settle_reads, std::function<void()> on_reset)
    : m_bus(bus) {
    const size_t control2 = dvsec + kControl2;
    const size_t status2 = dvsec + kStatus2;
    auto state = m_state;
    m_hooks.push_back(bus.on_config_write(
        sbdf, static_cast<uint32_t>(control2), static_cast<uint32_t>(control2 + 2),
        [=](const ConfigEvent& e) {
            uint16_t value = 0;
            if (!written16(e, control2, value) || (value & kInitiateCxlReset) == 0) {
                return;
            }
            ++state->resets;
            state->running = true;
            state->reads = 0;
            e.space.set16(control2,
                          static_cast<uint16_t>(e.space.get16(control2) & ~kInitiateCxlReset));
            e.space.set16(status2, static_cast<uint16_t>(e.space.get16(status2) &
                                                         ~(kResetComplete | kResetError)));
            if (on_reset) {
                on_reset();
            }
        }));
    m_hooks.push_back(bus.on_config_read(
        sbdf, static_cast<uint32_t>(status2), static_cast<uint32_t>(status2 + 2),
        [=](const ConfigEvent& e) {
            if (!state->running || ++state->reads < settle_reads) {
                return;
            }
            state->running = false;
            uint16_t bits = 0;
            switch (outcome) {
                case CxlResetOutcome::completes: bits = kResetComplete; break;
                case CxlResetOutcome::reports_error: bits = kResetError; break;
                case CxlResetOutcome::never_completes: break;
            }
            e.space.set16(status2, static_cast<uint16_t>(e.space.get16(status2) | bits));
        }));
}

CxlReset::~CxlReset() { remove_hooks(m_bus, m_hooks); }

}  // namespace sim
}  // namespace tarvo
