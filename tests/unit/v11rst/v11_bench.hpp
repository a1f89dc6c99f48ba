#pragma once

// A simulated device under test for the CXL 1.1 configuration tests and the
// reset tests: one function on a simulated bus, reached through the bundle's
// device and through every hardware-access object the code makes itself,
// with the log records and the waits of each run kept.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/testcases/testfunction.hpp"
#include "sim/config_builder.hpp"
#include "sim/sim_hwio.hpp"
#include "unit/cfgtests/cfg_fixture.hpp"
#include "unit/doe/doe_support.hpp"
#include "unit/model/log_capture.hpp"

namespace v11 {

using cfgtests::fail;
using cfgtests::failed;
using cfgtests::info;
using cfgtests::kSut;
using cfgtests::passed;
using cfgtests::Record;
using cfgtests::Records;
using cfgtests::skipped;
using cfgtests::Verdict;
using cfgtests::verdict;
using cfgtests::warn;
namespace sim = tarvo::sim;

// Where cxl_device() puts the PCI Express Capability and the DVSEC.
constexpr size_t kPcieCap = 0x40;
constexpr size_t kDvsec = 0x100;

inline Record debug(const std::string& text) { return {::debug_2, text}; }

// a followed by b (records, accesses).
template <typename T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The two records of the DVSEC location step for a DVSEC at kDvsec.
Records located();
// The one record of a location step that found no DVSEC.
Records not_located();

// A CXL device function: the PCI Express Capability at kPcieCap, the PCIe
// DVSEC for CXL devices (revision 1, length 0x38) at kDvsec, and an AER
// extended capability after it; set(kDvsec + offset, ...) fills a DVSEC
// register.
sim::ConfigBuilder cxl_device();
// The same function without the DVSEC.
sim::ConfigBuilder plain_device();

// One access as (address, length, value) for comparisons.
struct Moved {
    uint64_t address;
    int len;
    uint64_t value;
    bool operator==(const Moved& o) const {
        return address == o.address && len == o.len && value == o.value;
    }
};
std::ostream& operator<<(std::ostream& os, const Moved& m);
// The successful accesses among these.
std::vector<Moved> moved(const std::vector<sim::Access>& accesses);

// A DVSEC register: offset from the DVSEC, value, bytes.
using Reg = std::tuple<size_t, uint64_t, size_t>;

class V11Test;

// One run of a test on cxl_device() with some DVSEC registers set, and what
// it must give.
struct Case {
    std::string name;
    tarvo::TestFunction test;
    std::vector<Reg> regs;
    Verdict result;
    Records records;  // after the location step
    std::function<void(V11Test&)> arrange = nullptr;  // faults, attributes
    std::vector<Moved> writes = {};                   // configuration writes
};

class V11Test : public ::testing::Test {
public:
    V11Test();

    sim::ConfigSpace& install(sim::ConfigSpace space) { return bus->add_function(kSut, space); }

    // Runs test as the service library would: a bundle with a device
    // component for kSut, a messenger, and tinfo and target describing kSut.
    // tinfo_names gives the shared description another address; no_tinfo
    // leaves it empty.
    tarvo::core::TestResult run(const tarvo::TestFunction& test);
    tarvo::core::TestResult run(const tarvo::TestFunction& test,
                                std::optional<tarvo::SBDF> tinfo_names);

    // Installs the case's device, runs its test and compares the verdict,
    // the records and the configuration writes.
    void expect(const Case& c);

    // Records of the last run down to debug_2.
    Records records() const;

    // Makes accesses of kind that cover address (a configuration offset of
    // kSut or a physical address) fail, from the nth one counted from now,
    // count of them (by default all later ones). A failed access does not
    // reach the bus and is not in its log.
    void fail_access(sim::AccessKind kind, uint64_t address, int nth,
                     int count = std::numeric_limits<int>::max());

    // Accesses of kind in the last run; writes as (address, length, value).
    std::vector<sim::Access> accesses(sim::AccessKind kind) const {
        return bus->log_of(kind);
    }

    struct Fault {
        sim::AccessKind kind;
        uint64_t address;
        int first;
        int last;
        int seen;
    };
    using Faults = std::vector<Fault>;

    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    std::shared_ptr<Faults> faults = std::make_shared<Faults>();
    sim::ScopedHwioFactory factory;
    // Waits are recorded, not slept.
    doetest::SleepRecorder sleeps;

private:
    LogCapture m_capture;
    size_t m_first_record = 0;
};

}  // namespace v11
