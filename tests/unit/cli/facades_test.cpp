#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "api/stagingqueue.hpp"
#include "api/tarvodirectory.hpp"
#include "api/tarvotester.hpp"
#include "core/devices/devcomp.hpp"
#include "services/servicebuilder.hpp"
#include "sim/sim_hwio.hpp"
#include "unit/cli/test_support.hpp"

using namespace tarvo;
using testsupport::Capture;
using types::TestData;

namespace {

TestData entry(const std::string& key, float spec, const std::string& group, int id) {
    return TestData(key, "", spec, group, id, "", "name " + key, "", "", true, {});
}

// A catalogue of two entries that notes how it was asked.
class FakeCatalogue : public TestInfoServices {
public:
    std::vector<TestData> list() override {
        calls.push_back("list");
        return entries;
    }
    std::vector<TestData> sort_by(core::SortFilterOptions order) override {
        calls.push_back("sort " + std::to_string(order));
        return entries;
    }
    std::vector<TestData> filter_by(core::SortFilterOptions order,
                                    types::TestIDFilter f) override {
        calls.push_back("filter " + std::to_string(order) + " " + std::to_string(f.spec()) + " " +
                        f.group() + " " + std::to_string(f.id()));
        return entries;
    }
    std::vector<TestData> list_for_port(PORT_TYPE_t port) override {
        calls.push_back("port " + std::to_string(port));
        return {entries[1]};
    }
    TestData info(const std::string& key) override {
        calls.push_back("info " + key);
        for (const auto& e : entries)
            if (e.key() == key)
                return e;
        return types::ErrorTestData();
    }

    std::vector<TestData> entries = {entry("2/CFG/1", 2, "CFG", 1), entry("2/CFG/4", 2, "CFG", 4)};
    std::vector<std::string> calls;
};

// A test table of 2/CFG/1 and 2/CFG/4 whose runs are noted.
class FakeRunner : public TestServices {
public:
    void run(const std::vector<TestData>& tests, unsigned delay,
             const DeviceUnderTest&) override {
        std::string keys;
        for (const auto& t : tests)
            keys += t.key() + " ";
        runs.push_back(keys + "delay " + std::to_string(delay));
    }
    bool has_testcase(const std::string& key) const override {
        return key == "2/CFG/1" || key == "2/CFG/4";
    }
    std::vector<std::string> testcase_keys() const override { return {"2/CFG/1", "2/CFG/4"}; }
    std::vector<std::string> runs;
};

class FakeDevices : public DeviceServices {
public:
    std::vector<core::DeviceInformation> devices() override { return {}; }
    core::DeviceInformation current_sut() override { return {}; }
    core::TargetInformation current_sut_target() override { return {}; }
    bool set_sut(SBDF address) override {
        selected = address.sbdf();
        return true;
    }
    std::shared_ptr<core::DevComp> sut_device() override {
        return std::make_shared<core::DevComp>(0, 1, 0, 0, 0x8086, nullptr, "", "", PCIE_EP, 0);
    }
    uint32_t selected = 0;
};

struct TesterRig {
    std::shared_ptr<TarvoStagingServices> staging = std::make_shared<TarvoStagingServices>();
    std::shared_ptr<FakeRunner> runner = std::make_shared<FakeRunner>();
    std::shared_ptr<FakeCatalogue> catalogue = std::make_shared<FakeCatalogue>();
    TarvoTester tester{staging, runner, std::make_shared<FakeDevices>(), catalogue};
};

}  // namespace

TEST(TarvoTester, RunTakesTheWholeQueue) {
    TesterRig rig;
    Capture out;
    rig.tester.enqueue("2", "CFG", "4");
    rig.tester.enqueue(entry("2/CFG/1", 2, "CFG", 1));
    rig.tester.run(3);
    rig.tester.enqueue("2", "CFG", "1");
    rig.tester.run(0);
    EXPECT_EQ(rig.runner->runs,
              (std::vector<std::string>{"2/CFG/4 2/CFG/1 delay 3", "2/CFG/1 delay 0"}));
    EXPECT_TRUE(rig.tester.queue().empty());
    EXPECT_EQ(out.text(), "");
}

TEST(TarvoTester, AKeyTheTableLacksIsNotQueued) {
    TesterRig rig;
    rig.tester.enqueue("2", "CFG", "17");
    rig.tester.enqueue("", "", "0");
    EXPECT_TRUE(rig.tester.queue().empty());
}

TEST(TarvoTester, SelectionsQueueFromTheCatalogue) {
    TesterRig rig;
    rig.tester.select_all();
    ASSERT_EQ(rig.tester.queue().size(), 2u);
    rig.tester.remove("2/CFG/1");
    ASSERT_EQ(rig.tester.queue().size(), 1u);
    EXPECT_EQ(rig.tester.queue()[0].key(), "2/CFG/4");
    rig.tester.clear();
    rig.tester.select_all_of_port(RCEC);
    ASSERT_EQ(rig.tester.queue().size(), 1u);
    EXPECT_EQ(rig.catalogue->calls.back(), "port 10");
}

TEST(TarvoDirectory, ListsAndFiltersMapToCatalogueOrders) {
    auto catalogue = std::make_shared<FakeCatalogue>();
    auto devices = std::make_shared<FakeDevices>();
    TarvoDirectory dir(catalogue, devices);
    dir.default_testlist();
    dir.testlist_sorted_on_group();
    dir.testlist_sorted_on_id();
    dir.testlist_filter_spec(1.5f);
    dir.testlist_filter_group("MMR");
    dir.testlist_filter_id(4);
    dir.testlist_filter_spec_and_group(2, "CFG");
    dir.testlist_filter_spec_and_id(2, 7);
    dir.testlist_filter_group_and_id("RST", 6);
    EXPECT_EQ(dir.testinfo("2/CFG/4").key(), "2/CFG/4");
    EXPECT_EQ(catalogue->calls,
              (std::vector<std::string>{
                  "list", "sort 7", "sort 8", "filter 1 1.500000  0", "filter 2 0.000000 MMR 0",
                  "filter 3 0.000000  4", "filter 4 2.000000 CFG 0", "filter 5 2.000000  7",
                  "filter 6 0.000000 RST 6", "info 2/CFG/4"}));

    core::DeviceInformation chosen{};
    chosen.sbdf = SBDF(0, 0x3a, 0, 1);
    dir.set_sut(chosen);
    EXPECT_EQ(devices->selected, 0x3a01u);
}

TEST(ServiceBuilder, BuildsEveryServiceAndSaysTheCatalogueIsMissing) {
    testsupport::TempDir dir;
    const std::string file = dir.path() + "/testcases.json";  // absent
    ServiceBuilder builder(file);
    EXPECT_EQ(builder.testcase_file(), file);
    auto staging = builder.BuildCompStagingServices();
    auto tests = builder.BuildCompTestServicesWithTestcases(TestcaseMap());
    auto devices = builder.BuildDeviceServices();
    std::shared_ptr<TestInfoServices> testinfo;
    {
        Capture out;
        testinfo = builder.BuildComplianceTestInformationServices();
        EXPECT_EQ(out.text().rfind("\x1b[31mCannot load the test-case file \"" + file + "\"", 0),
                  0u)
            << out.text();
    }
    auto reports = builder.BuildHTMLTestGenServices();
    auto history = builder.BuildTestHistoryServices();
    auto generators = builder.BuildTarvoGeneratorServices();
    ASSERT_TRUE(staging && tests && devices && testinfo && reports && history && generators);
    ASSERT_TRUE(history->history());
    EXPECT_TRUE(history->history()->history().empty());

    // A host without CXL devices, whatever this machine holds.
    tarvo::sim::ScopedHwioFactory no_devices(std::make_shared<tarvo::sim::SimBus>());
    Capture out;
    EXPECT_TRUE(testinfo->list().empty());
    EXPECT_EQ(testinfo->info("2/CFG/4").id(), -1);
    EXPECT_FALSE(tests->has_testcase("2/CFG/4"));
    EXPECT_EQ(out.text(), "");
    EXPECT_TRUE(history->history()->history().empty());
}
