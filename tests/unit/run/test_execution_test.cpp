#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/catalogue.hpp"
#include "api/stagingqueue.hpp"
#include "api/tarvotester.hpp"
#include "api/testrunner.hpp"
#include "common/sleep.hpp"
#include "core/devices/devcomp.hpp"
#include "sim/sim_hwio.hpp"
#include "unit/cli/test_support.hpp"
#include "unit/model/log_capture.hpp"

using namespace tarvo;
using testsupport::Capture;
using types::TestState;

namespace {

// The device services of one simulated endpoint at 1:00.0 (or of none).
class OneDevice : public DeviceServices {
public:
    explicit OneDevice(bool present, PORT_TYPE_t port = PCIE_EP) : m_port(port) {
        if (present)
            m_device = std::make_shared<core::DevComp>(0, 1, 0, 0, 0x8086, nullptr, "Unknown vendor",
                                                       "CXL Device", port, 0);
    }
    std::vector<core::DeviceInformation> devices() override { return {}; }
    core::DeviceInformation current_sut() override { return {}; }
    core::TargetInformation current_sut_target() override {
        return core::TargetInformation("", "", 0, 0, "", core::GT16, core::x4, core::endpoint,
                                       core::cem, false, "2.0", m_port, core::type3, false, false,
                                       SBDF(0, 1, 0, 0), true);
    }
    bool set_sut(SBDF) override { return false; }
    std::shared_ptr<core::DevComp> sut_device() override { return m_device; }

private:
    PORT_TYPE_t m_port;
    std::shared_ptr<core::DevComp> m_device;
};

std::string catalogue_entry(const std::string& key, const std::string& spec,
                            const std::string& group, int id, const std::string& port,
                            bool enabled = true) {
    return "\"" + key + "\": {\"parse\": true, \"key\": \"" + key +
           "\", \"reference\": \"\", \"spec\": " + spec + ", \"group\": \"" + group +
           "\", \"id\": " + std::to_string(id) + ", \"vers\": \"1.0\", \"name\": \"Test " + key +
           "\", \"description\": \"\", \"enabled\": " + (enabled ? "true" : "false") +
           ", \"port\": \"" + port + "\", \"dependencies\": []}";
}

// Test functions that note what they were handed.
struct Calls {
    std::vector<std::string> keys;
    std::vector<const core::Testools*> tools;
    std::vector<bool> complete;  // device, messenger, hw, tinfo all set; target is 1:00.0
};

TestFunction noting(Calls& calls, const std::string& key, core::TestResult result) {
    return [&calls, key, result](core::Testools& tt) {
        calls.keys.push_back(key);
        calls.tools.push_back(&tt);
        calls.complete.push_back(tt.device && tt.messenger && tt.hw && tt.tinfo &&
                                 tt.tinfo->sbdf().sbdf() == SBDF(0, 1, 0, 0).sbdf() &&
                                 tt.target.sbdf().sbdf() == SBDF(0, 1, 0, 0).sbdf());
        return result;
    };
}

// The tester over real staging, execution and catalogue services, a test
// table of noting functions and a catalogue file of its own.
struct Rig {
    explicit Rig(bool device_present = true, PORT_TYPE_t port = PCIE_EP,
                 std::string catalogue = "")
        : factory(std::make_shared<sim::SimBus>()) {
        if (catalogue.empty()) {
            catalogue = "{" + catalogue_entry("2/CFG/4", "2.0", "CFG", 4, "EP") + "," +
                        catalogue_entry("2/CFG/10", "2", "CFG", 10, "RP, usp") + "," +
                        catalogue_entry("2/CFG/2", "2", "CFG", 2, "ALL") + "," +
                        catalogue_entry("1.1/CFG/13", "1.1", "CFG", 13, "RCIEP") + "," +
                        catalogue_entry("2/MEM/1", "2", "MEM", 1, "EP", false) + "}";
        }
        std::ofstream(dir.path() + "/testcases.json") << catalogue;
        TestcaseMap table;
        table["2/CFG/4"] = noting(calls, "2/CFG/4", core::PassingTestResult(""));
        table["2/CFG/10"] = noting(calls, "2/CFG/10", core::FailingTestResult("Mismatch\n"));
        table["2/CFG/2"] = noting(calls, "2/CFG/2", core::SkippedTestResult("Not here"));
        table["1.1/CFG/13"] = noting(calls, "1.1/CFG/13", core::PassingTestResult(""));
        table["2/MEM/1"] = [this](core::Testools&) -> core::TestResult {
            calls.keys.push_back("2/MEM/1");
            throw std::runtime_error("Device vanished");
        };
        table["2/RST/7"] = noting(calls, "2/RST/7", core::FinishedNotSupportedTestResult(""));
        {
            Capture quiet;
            testinfo = std::make_shared<TarvoTestInfoServices>(dir.path() + "/testcases.json");
        }
        tests = std::make_shared<TarvoTestServices>(table, history);
        tester = std::make_shared<TarvoTester>(staging, tests,
                                               std::make_shared<OneDevice>(device_present, port),
                                               testinfo);
    }

    std::vector<std::string> queued() const {
        std::vector<std::string> keys;
        for (const auto& e : staging->staged())
            keys.push_back(e.key());
        return keys;
    }

    testsupport::TempDir dir;
    sim::ScopedHwioFactory factory;
    Calls calls;
    std::shared_ptr<History> history = std::make_shared<TestHistory>();
    std::shared_ptr<TarvoStagingServices> staging = std::make_shared<TarvoStagingServices>();
    std::shared_ptr<TarvoTestInfoServices> testinfo;
    std::shared_ptr<TarvoTestServices> tests;
    std::shared_ptr<TarvoTester> tester;
};

using Keys = std::vector<std::string>;

}  // namespace

TEST(TestKeyOf, ReadsTheSpecAsAFloatUpperCasesTheGroupAndWritesTheNumberInDecimal) {
    EXPECT_EQ(testkey_of("2.0", "cfg", "4"), "2/CFG/4");
    EXPECT_EQ(testkey_of("2", "CFG", "04"), "2/CFG/4");
    EXPECT_EQ(testkey_of("1.10", "Cfg", "13"), "1.1/CFG/13");
    EXPECT_EQ(testkey_of("", "CFG", "4"), "/CFG/4");
    EXPECT_EQ(testkey_of("nan", "CFG", "4"), "nan/CFG/4");
    EXPECT_EQ(testkey_of("1e300", "CFG", "x"), "1e300/CFG/x");
}

TEST(TesterQueue, EnqueuesTableKeysAndWarnsOfOthers) {
    Rig rig;
    LogCapture log;
    rig.tester->enqueue("2.0", "cfg", "4");
    rig.tester->enqueue("2", "CFG", "17");
    rig.tester->enqueue("", "CFG", "4");
    rig.tester->enqueue(types::TestData("2/CFG/99", "", 2, "CFG", 99, "", "", "", "", true, {}));
    rig.tester->enqueue(rig.testinfo->info("2/CFG/10"));
    EXPECT_EQ(rig.queued(), (Keys{"2/CFG/4", "2/CFG/10"}));
    EXPECT_EQ(rig.staging->staged()[0].name(), "Test 2/CFG/4");  // the catalogue's entry
    std::vector<std::string> warnings;
    for (const auto& r : log.records())
        if (r.level == warning)
            warnings.push_back(r.text);
    EXPECT_EQ(warnings, (Keys{"No test case is bound to the key 2/CFG/17; it is skipped.",
                              "No test case is bound to the key /CFG/4; it is skipped.",
                              "No test case is bound to the key 2/CFG/99; it is skipped."}));
}

TEST(TesterQueue, SelectAllTakesEveryTableKeyInNaturalOrder) {
    Rig rig;
    rig.tester->select_all();
    EXPECT_EQ(rig.queued(),
              (Keys{"1.1/CFG/13", "2/CFG/2", "2/CFG/4", "2/CFG/10", "2/MEM/1", "2/RST/7"}));
    // 2/RST/7 is not in the catalogue: it is named by its key.
    EXPECT_EQ(rig.staging->staged().back().name(), "2/RST/7");
    EXPECT_EQ(rig.staging->staged().back().id(), 7);
}

TEST(TesterQueue, SelectAllOfPortTakesTheEnabledEntriesNamingThePort) {
    struct Case {
        PORT_TYPE_t port;
        Keys want;
    };
    const Case cases[] = {
        {PCIE_EP, {"2/CFG/2", "2/CFG/4"}},  // 2/MEM/1 is disabled
        {UP_SWITCH, {"2/CFG/2", "2/CFG/10"}},
        {RCIEP, {"1.1/CFG/13", "2/CFG/2"}},
        {RCEC, {"2/CFG/2"}},
    };
    for (const auto& c : cases) {
        Rig rig(true, c.port);
        rig.tester->select_all_of_port(c.port);
        EXPECT_EQ(rig.queued(), c.want) << c.port;
    }
}

TEST(TesterQueue, AnUnknownPortTypeIsReportedAndSelectsNothing) {
    Rig rig(true, PCIE_PCI_BRIDGE);
    Capture out;
    rig.tester->select_all_of_port(PCIE_PCI_BRIDGE);
    EXPECT_TRUE(rig.queued().empty());
    EXPECT_EQ(out.text(),
              "\x1b[31mThe port type 7 of the device under test is unknown; no test case "
              "applies to it.\x1b[0m\n");
}

TEST(TestRun, RunsInOrderRecordsOneSessionAndEmptiesTheQueue) {
    Rig rig;
    std::vector<std::chrono::milliseconds> waits;
    auto previous = set_sleep_function([&](std::chrono::milliseconds d) { waits.push_back(d); });
    LogCapture log;
    rig.tester->enqueue("2", "CFG", "10");
    rig.tester->enqueue("2", "CFG", "4");
    rig.tester->enqueue("2", "RST", "7");
    rig.tester->run(2);
    set_sleep_function(previous);

    EXPECT_EQ(rig.calls.keys, (Keys{"2/CFG/10", "2/CFG/4", "2/RST/7"}));
    EXPECT_EQ(rig.calls.complete, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(rig.factory.created(), 3u);  // one hardware-access object per test
    // Between tests only: not before the first, not after the last.
    EXPECT_EQ(waits, (std::vector<std::chrono::milliseconds>{std::chrono::seconds(2),
                                                             std::chrono::seconds(2)}));
    EXPECT_TRUE(rig.queued().empty());

    const auto sessions = rig.history->history();
    ASSERT_EQ(sessions.size(), 1u);
    const auto records = sessions[0].session();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].key(), "2/CFG/10");
    EXPECT_EQ(records[0].result().value(), TestState::failed);
    EXPECT_EQ(records[0].note(), "Mismatch\n");
    EXPECT_EQ(records[1].result().value(), TestState::passed);
    EXPECT_EQ(records[2].result().value(), TestState::finished_not_supported);
    EXPECT_EQ(records[2].name(), "2/RST/7");

    const std::vector<LogCapture::Record> want = {
        {start_test, "2/CFG/10 Test 2/CFG/10"},
        {fail, "2/CFG/10 Test 2/CFG/10: failed - Mismatch\n"},
        {start_test, "2/CFG/4 Test 2/CFG/4"},
        {pass, "2/CFG/4 Test 2/CFG/4: passed"},
        {start_test, "2/RST/7"},
        {finished, "2/RST/7: finished_not_supported"},
    };
    EXPECT_EQ(log.records(), want);

    // A later run never repeats them.
    rig.tester->enqueue("2", "CFG", "2");
    rig.tester->run(0);
    EXPECT_EQ(rig.calls.keys.back(), "2/CFG/2");
    EXPECT_EQ(rig.calls.keys.size(), 4u);
    ASSERT_EQ(rig.history->history().size(), 2u);
    EXPECT_EQ(rig.history->history()[1].session().size(), 1u);
}

TEST(TestRun, AThrowingTestIsAbortedWithItsErrorAndTheRunGoesOn) {
    Rig rig;
    LogCapture log;
    rig.tester->enqueue("2", "MEM", "1");
    rig.tester->enqueue("2", "CFG", "4");
    rig.tester->run(0);
    EXPECT_EQ(rig.calls.keys, (Keys{"2/MEM/1", "2/CFG/4"}));
    const auto records = rig.history->history().at(0).session();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].result().value(), TestState::aborted);
    EXPECT_EQ(records[0].note(), "Device vanished");
    EXPECT_EQ(records[1].result().value(), TestState::passed);
    EXPECT_EQ(log.records().at(1),
              (LogCapture::Record{fail, "2/MEM/1 Test 2/MEM/1: aborted - Device vanished"}));
}

TEST(TestRun, WithoutADeviceUnderTestNothingRunsAndNothingIsRecorded) {
    Rig rig(false);
    rig.tester->enqueue("2", "CFG", "4");
    Capture out;
    rig.tester->run(0);
    EXPECT_EQ(out.text(),
              "\x1b[31mNo CXL device under test was found; no test case was run.\x1b[0m\n");
    EXPECT_TRUE(rig.calls.keys.empty());
    EXPECT_TRUE(rig.history->history().empty());
    EXPECT_TRUE(rig.queued().empty());
}

TEST(TestRun, AnEmptyQueueRecordsNoSession) {
    Rig rig;
    LogCapture log;
    rig.tester->run(0);
    EXPECT_TRUE(rig.history->history().empty());
    EXPECT_EQ(log.records(),
              (std::vector<LogCapture::Record>{{warning, "No test case was selected."}}));
}

TEST(TestRun, WithoutACatalogueRunByKeyStillWorks) {
    Capture out;
    Rig rig(true, PCIE_EP, "not json");
    EXPECT_TRUE(rig.testinfo->list().empty());
    rig.tester->enqueue("2", "CFG", "4");
    rig.tester->run(0);
    const auto records = rig.history->history().at(0).session();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name(), "2/CFG/4");
    EXPECT_EQ(records[0].spec(), 2.0f);
    EXPECT_EQ(records[0].group(), "CFG");
    EXPECT_EQ(records[0].id(), 4);
}
