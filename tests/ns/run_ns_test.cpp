// The real program runs a test case on the QEMU CXL memory device, seen
// through a fake sysfs tree, and shows and logs its records.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "sim/config_builder.hpp"
#include "sim/fake_sysfs.hpp"
#include "sim/work_dir.hpp"

namespace {

using tarvo::SBDF;
using namespace tarvo::sim;

class RunNs : public ::testing::Test {
protected:
    void SetUp() override {
        TARVO_ENTER_MOUNT_NAMESPACE();
        fake = std::make_unique<FakeSysfs>();
        add_qemu_port_and_device(*fake);
        ASSERT_EQ(fake->mount(), "");
    }

    // One interactive session of the program in the scratch directory.
    CommandResult session(const std::string& input) {
        return run_command({TARVO_BINARY, "--testcasefile", TARVO_SOURCE_DIR "/etc/testcases.json"},
                           work.path(), input);
    }

    // The text of the one log file with this suffix in the scratch directory.
    std::string log_file(const std::string& suffix) {
        std::vector<std::string> found;
        for (const auto& e : boost::filesystem::directory_iterator(work.path()))
            if (e.path().extension() == suffix)
                found.push_back(e.path().string());
        EXPECT_EQ(found.size(), 1u) << suffix;
        return found.empty() ? "" : FakeSysfs::read_text(found[0]);
    }

    std::unique_ptr<FakeSysfs> fake;
    ScopedWorkDir work;
};

TEST_F(RunNs, RunsOneTestOnTheSelectedDeviceAndShowsAndLogsItsRecords) {
    const CommandResult r = session("devices --set 0d:00.0\nrun -t 2/CFG/4\nrun -t 2/CFG/17\nexit\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string title = "2/CFG/4 CXL device DVSEC header";
    EXPECT_TRUE(std::regex_search(
        r.out, std::regex("\\[\\d\\d:\\d\\d:\\d\\d\\]\\[\x1b\\[33mSTART\x1b\\[0m\\]:\t" + title +
                          "\n")))
        << r.out;
    EXPECT_TRUE(std::regex_search(
        r.out, std::regex("\\[\\d\\d:\\d\\d:\\d\\d\\]\\[\x1b\\[1;37;42mPASS\x1b\\[0m\\]:\t" + title +
                          ": passed\n")))
        << r.out;
    EXPECT_NE(r.out.find("No test case is bound to the key 2/CFG/17; it is skipped.\n"),
              std::string::npos)
        << r.out;

    const std::string text = log_file(".log");
    EXPECT_NE(text.find("[START] : " + title + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[PASS] : " + title + ": passed\n"), std::string::npos) << text;
    const std::string json = log_file(".json");
    EXPECT_NE(json.find("\"severity\": \"START\", \"message\": \"" + title + "\"}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"severity\": \"PASS\", \"message\": \"" + title + ": passed\"}"),
              std::string::npos)
        << json;
}

TEST_F(RunNs, WithoutACxlDeviceNothingRuns) {
    fake->unmount();
    fake = std::make_unique<FakeSysfs>();
    fake->add_function(SBDF(0, 0, 0x1f, 2), ConfigBuilder(256).ids(0x8086, 0x2922).build());
    ASSERT_EQ(fake->mount(), "");
    const CommandResult r = session("run -a\nrun -t 2/CFG/4\nexit\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string red =
        "\x1b[31mNo CXL device under test was found; no test case was run.\x1b[0m\n";
    const size_t first = r.out.find(red);
    ASSERT_NE(first, std::string::npos) << r.out;
    EXPECT_NE(r.out.find(red, first + 1), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("START"), std::string::npos) << r.out;
}

// A host that keeps /dev/mem from the device's registers: the memory-mapped
// tests end as before, and the program says once why.
TEST_F(RunNs, RefusedRegistersAreExplainedOnceAndTheVerdictsStay) {
    fake->unmount();
    fake->set_memory_device(FakeSysfs::MemoryDevice::kRefusesMaps);
    ASSERT_EQ(fake->mount(), "");
    const CommandResult r =
        session("devices --set 0d:00.0\nrun -t 2/MMR/1\nrun -t 2/MMR/12\nexit\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(": failed - Unable to read Component registers for CXL cache and mem.\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(": failed - Unable to read CXL Device Capabilities Array Register.\n"),
              std::string::npos)
        << r.out;
    const std::regex fixed("ReadMMIO mmap failed\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(r.out.begin(), r.out.end(), fixed),
                            std::sregex_iterator()),
              2)
        << r.out;
    const std::regex red("\x1b\\[31m/dev/mem refused physical address 0x[0-9a-f]{16}: No such device\\. "
                         "[^\n]* iomem=relaxed [^\n]*\x1b\\[0m\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(r.out.begin(), r.out.end(), red),
                            std::sregex_iterator()),
              1)
        << r.out;
}

}  // namespace
