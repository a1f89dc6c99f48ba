#pragma once

// Shared set-up of the DOE tests: a simulated function, the waits asked for
// (recorded instead of slept, also for the configuration and reset test
// fixtures) and the configuration accesses to a mailbox.

#include <chrono>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "common/sleep.hpp"
#include "core/devices/targetinformation.hpp"
#include "sim/config_builder.hpp"
#include "sim/doe_mailbox.hpp"
#include "sim/sim_hwio.hpp"
#include "unit/model/log_capture.hpp"

namespace doetest {

using std::chrono::milliseconds;

// Records every wait instead of sleeping, while it lives.
class SleepRecorder {
public:
    SleepRecorder()
        : m_previous(tarvo::set_sleep_function([this](milliseconds d) { m_waits.push_back(d); })) {}
    ~SleepRecorder() { tarvo::set_sleep_function(std::move(m_previous)); }
    SleepRecorder(const SleepRecorder&) = delete;
    SleepRecorder& operator=(const SleepRecorder&) = delete;

    const std::vector<milliseconds>& waits() const { return m_waits; }
    void clear() { m_waits.clear(); }

private:
    std::vector<milliseconds> m_waits;
    tarvo::SleepFunction m_previous;
};

inline tarvo::core::TargetInformation target_at(tarvo::SBDF sbdf) {
    return tarvo::core::TargetInformation("", "", 0, 0, "", tarvo::core::GT16, tarvo::core::x4,
                                          tarvo::core::endpoint, tarvo::core::cem, false, "",
                                          PCIE_EP, tarvo::core::type3, false, false, sbdf, true);
}

// A simulated bus whose hardware access every component reaches, with the
// waits and the log records of the test.
struct SimDevice {
    std::shared_ptr<tarvo::sim::SimBus> bus = std::make_shared<tarvo::sim::SimBus>();
    tarvo::sim::ScopedHwioFactory factory{bus};
    SleepRecorder sleeps;
    LogCapture log;
};

// One configuration access, as a test compares it.
struct Touch {
    bool write;
    uint32_t offset;
    uint32_t value;
    bool operator==(const Touch& o) const {
        return write == o.write && offset == o.offset && value == o.value;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Touch& t) {
    return os << (t.write ? "W " : "R ") << std::hex << t.offset << '=' << t.value << std::dec;
}

// The configuration accesses of the log within [begin, end).
inline std::vector<Touch> touches(const tarvo::sim::SimBus& bus, uint32_t begin, uint32_t end) {
    std::vector<Touch> out;
    for (const auto& a : bus.log()) {
        const bool write = a.kind == tarvo::sim::AccessKind::config_write;
        if ((write || a.kind == tarvo::sim::AccessKind::config_read) && a.address >= begin &&
            a.address < end) {
            out.push_back(
                {write, static_cast<uint32_t>(a.address), static_cast<uint32_t>(a.value)});
        }
    }
    return out;
}

}  // namespace doetest
