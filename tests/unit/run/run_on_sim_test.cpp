// The run command end to end in the process: the real facades and services,
// the program's test table and the shipped catalogue, on a simulated device.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "api/catalogue.hpp"
#include "api/stagingqueue.hpp"
#include "api/tarvodirectory.hpp"
#include "api/tarvotester.hpp"
#include "api/testrunner.hpp"
#include "cli/commands/run_command.hpp"
#include "cli/testcase_table.hpp"
#include "core/devices/devcomp.hpp"
#include "sim/config_builder.hpp"
#include "sim/sim_hwio.hpp"
#include "unit/model/log_capture.hpp"
#include "unit/run/doubles.hpp"

using namespace tarvo;
using types::TestState;

namespace {

const SBDF kSut(0, 0x0d, 0, 0);

// The simulated function at 0d:00.0 as the device under test.
class SimDevices : public DeviceServices {
public:
    explicit SimDevices(std::shared_ptr<sim::SimBus> bus)
        : m_device(std::make_shared<core::DevComp>(0, 0x0d, 0, 0, 0x8086,
                                                   std::make_shared<sim::SimHwio>(bus),
                                                   "Unknown vendor", "CXL Device", PCIE_EP, 0)) {
        m_device->PopulateProperties();
    }
    std::vector<core::DeviceInformation> devices() override { return {}; }
    core::DeviceInformation current_sut() override { return {}; }
    core::TargetInformation current_sut_target() override {
        return core::TargetInformation("", "", 0, 0, "", core::GT16, core::x4, core::endpoint,
                                       core::cem, false, "", m_device->GetCompType(), core::type3,
                                       false, false, kSut, m_device->IsCxl());
    }
    bool set_sut(SBDF) override { return false; }
    std::shared_ptr<core::DevComp> sut_device() override { return m_device; }

private:
    std::shared_ptr<core::DevComp> m_device;
};

}  // namespace

TEST(RunOnSimulatedDevice, RunsTheDvsecHeaderTestAndRecordsItsVerdict) {
    struct Case {
        uint8_t revision;
        severity_level level;
        std::string outcome;
        TestState::state state;
    };
    const Case cases[] = {
        {1, pass, "passed", TestState::passed},
        {0, fail, "failed", TestState::failed},
    };
    for (const auto& c : cases) {
        auto bus = std::make_shared<sim::SimBus>();
        bus->add_function(kSut, sim::ConfigBuilder()
                                    .ids(0x8086, 0x0d93)
                                    .pcie_cap(PCIE_EP)
                                    .dvsec(PCIE_DVSEC_FOR_CXL_DEV, c.revision, 0x38)
                                    .build());
        sim::ScopedHwioFactory factory(bus);
        auto history = std::make_shared<TestHistory>();
        auto devices = std::make_shared<SimDevices>(bus);
        auto catalogue =
            std::make_shared<TarvoTestInfoServices>(TARVO_SOURCE_DIR "/etc/testcases.json");
        cli::LibModules modules{
            std::make_shared<TarvoDirectory>(catalogue, devices),
            std::make_shared<TarvoTester>(
                std::make_shared<TarvoStagingServices>(),
                std::make_shared<TarvoTestServices>(cli::build_testcase_map(), history), devices,
                catalogue),
            nullptr};

        LogCapture log;
        cli::RunCommand run;
        run.resolve_args(rundoubles::prompt_line("run -t 2/cfg/4"));
        EXPECT_EQ(run.execute(modules), cli::PASS);

        std::vector<LogCapture::Record> ends;
        for (const auto& r : log.records())
            if (r.level == start_test || r.level == pass || r.level == fail)
                ends.push_back(r);
        const std::string title = "2/CFG/4 CXL device DVSEC header";
        ASSERT_GE(ends.size(), 2u) << c.outcome;
        EXPECT_EQ(ends.front(), (LogCapture::Record{start_test, title})) << c.outcome;
        EXPECT_EQ(ends.back(), (LogCapture::Record{c.level, title + ": " + c.outcome}))
            << c.outcome;

        const auto sessions = history->history();
        ASSERT_EQ(sessions.size(), 1u);
        ASSERT_EQ(sessions[0].session().size(), 1u);
        const auto record = sessions[0].session()[0];
        EXPECT_EQ(record.key(), "2/CFG/4");
        EXPECT_EQ(record.name(), "CXL device DVSEC header");
        EXPECT_EQ(record.result().value(), c.state);
    }
}
