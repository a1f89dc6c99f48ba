#pragma once

// A simulated device under test for the CXL 2.0 configuration-space test
// cases: one function on a simulated bus, reached both through the bundle's
// device and through every hardware-access object the code makes itself,
// with the log records of each run captured.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/testcases/testfunction.hpp"
#include "sim/config_builder.hpp"
#include "sim/sim_hwio.hpp"
#include "unit/doe/doe_support.hpp"
#include "unit/model/log_capture.hpp"

namespace cfgtests {

using Record = LogCapture::Record;
using Records = std::vector<Record>;

// The address of the simulated device under test.
const tarvo::SBDF kSut(0, 0x0d, 0, 0);

struct Verdict;
struct Scenario;

class CfgTest : public ::testing::Test {
public:
    // Puts space on the bus as the device under test and returns it; the
    // faults and changes arranged for an earlier device are dropped.
    tarvo::sim::ConfigSpace& install(tarvo::sim::ConfigSpace space);

    // Runs one test case against the device as the service library would:
    // a device component probed like the enumerator's, a messenger and the
    // target. The records of the run are kept for records().
    tarvo::core::TestResult run(const tarvo::TestFunction& test);

    // The records of the last run at info severity or more important
    // (transport debug records left out).
    Records records() const;

    // Makes accesses of kind to the device that cover offset fail from the
    // nth such access of the test case on (nth counts from 1); the probing
    // before the test case is not counted.
    void fail_from(tarvo::sim::AccessKind kind, uint32_t offset, int nth);

    // Makes reads of the dword at offset present value from the nth read of
    // the test case on, as a device whose register changes after the lookup
    // (the probing is not counted).
    void change_from(uint32_t offset, uint32_t value, int nth);

    // Installs the scenario's device, runs its test and compares the verdict
    // and the records.
    void expect(const Scenario& scenario);

    // Configuration writes to the device, as (offset, length) pairs in order.
    std::vector<std::pair<uint64_t, int>> config_writes() const;

    std::shared_ptr<tarvo::sim::SimBus> bus = std::make_shared<tarvo::sim::SimBus>();
    tarvo::sim::ScopedHwioFactory factory{bus};

private:
    // The DOE transport's waits are recorded, not slept.
    doetest::SleepRecorder m_sleeps;
    LogCapture m_capture;
    // Arranged before a run, armed once the device has been probed.
    std::vector<std::function<void()>> m_pending;
    std::vector<tarvo::sim::HookId> m_hooks;
    size_t m_first_record = 0;
};

// Record builders, to keep expectations readable.
inline Record info(const std::string& text) {
    return {::info, text};
}
inline Record warn(const std::string& text) {
    return {::warning, text};
}
inline Record fail(const std::string& text) {
    return {::fail, text};
}

// The state and message of a result as one comparable value.
struct Verdict {
    tarvo::types::TestState::state state;
    std::string msg;
    bool operator==(const Verdict& o) const { return state == o.state && msg == o.msg; }
};
std::ostream& operator<<(std::ostream& os, const Verdict& v);
Verdict verdict(const tarvo::core::TestResult& result);

inline Verdict passed(const std::string& msg = "") {
    return {tarvo::types::TestState::passed, msg};
}
inline Verdict failed(const std::string& msg = "") {
    return {tarvo::types::TestState::failed, msg};
}
inline Verdict skipped(const std::string& msg = "") {
    return {tarvo::types::TestState::skipped, msg};
}
inline Verdict not_supported(const std::string& msg = "") {
    return {tarvo::types::TestState::finished_not_supported, msg};
}

// One run of a test case on a device built for it, and what it must give.
struct Scenario {
    std::string name;
    tarvo::TestFunction test;
    std::function<tarvo::sim::ConfigSpace()> device;
    Verdict result;
    Records records;
    std::function<void(CfgTest&)> arrange = nullptr;  // faults or changes
};

// A function of the given port type with a PCI Express Capability and one
// DVSEC at 0x100, whose 16-bit registers (offset from the DVSEC, value) are
// set as given.
tarvo::sim::ConfigSpace one_dvsec(PORT_TYPE_t type, uint16_t id, uint8_t rev, uint16_t len,
                                  std::vector<std::pair<size_t, uint16_t>> regs = {});
// The same function without any DVSEC.
tarvo::sim::ConfigSpace no_dvsec(PORT_TYPE_t type);

}  // namespace cfgtests
