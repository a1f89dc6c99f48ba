// The real program's one-shot run with --report: the report command's output
// closes the run, and both reports are left in the working directory.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "sim/config_builder.hpp"
#include "sim/fake_sysfs.hpp"
#include "sim/lspci_dump.hpp"
#include "sim/work_dir.hpp"

namespace {

using tarvo::SBDF;
using namespace tarvo::sim;
namespace fs = boost::filesystem;

std::string read(const fs::path& path) { return FakeSysfs::read_text(path.string()); }

class ReportNs : public ::testing::Test {
protected:
    void SetUp() override {
        TARVO_ENTER_MOUNT_NAMESPACE();
        // One level down, so that no "../share" of the system's temporary
        // directory is seen.
        fs::create_directories(dir());
    }

    fs::path dir() const { return fs::path(work.path()) / "work"; }

    // tarvo run -t 2/CFG/4 -R, in the scratch directory.
    CommandResult run_with_report() {
        return run_command({TARVO_BINARY, "--nout", "--testcasefile",
                            TARVO_SOURCE_DIR "/etc/testcases.json", "run", "-t", "2/CFG/4", "-R"},
                           dir().string());
    }

    // The CSV report; fails the test unless there is exactly one.
    std::string csv_report() {
        std::vector<fs::path> found;
        for (const auto& e : fs::directory_iterator(dir()))
            if (std::regex_match(e.path().filename().string(),
                                 std::regex(R"(report_\d{4}-\d\d-\d\d_\d\d:\d\d\.csv)")))
                found.push_back(e.path());
        EXPECT_EQ(found.size(), 1u);
        return found.empty() ? "" : read(found[0]);
    }

    static void expect_report_last(const CommandResult& r) {
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string tail = "Report generated in ./report/\nReport Handler\n";
        ASSERT_GE(r.out.size(), tail.size()) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
    }

    FakeSysfs fake;
    ScopedWorkDir work;
};

TEST_F(ReportNs, RunOnTheQemuMemoryDeviceLeavesBothReports) {
    fake.add_function(SBDF(0, 0x0d, 0, 0),
                      load_lspci_dump(TARVO_FIXTURE_DIR "/qemu/config-0000_0d_00_0.txt").at(0).space);
    ASSERT_EQ(fake.mount(), "");
    const CommandResult r = run_with_report();
    expect_report_last(r);

    EXPECT_EQ(csv_report(), "Description, Test ID, Result\nCXL device DVSEC header,2/CFG/4,passed\n");
    const std::string html = read(dir() / "report" / "index.html");
    EXPECT_NE(html.find("<h2>Session: 1</h2><table><tr><th>Order</th>"), std::string::npos) << html;
    EXPECT_NE(html.find("<tr><td>1</td><td>2.0</td><td>CFG</td><td>4</td>"
                        "<td>CXL device DVSEC header</td><td>&#9989</td>"),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find("<h2>Session: 2</h2>"), std::string::npos) << html;
    EXPECT_EQ(read(dir() / "report" / "style.css"), read(TARVO_FIXTURE_DIR "/reports/style.css"));
}

TEST_F(ReportNs, ARunThatRecordsNothingLeavesEmptyReports) {
    fake.add_function(SBDF(0, 0, 0x1f, 2), ConfigBuilder(256).ids(0x8086, 0x2922).build());
    ASSERT_EQ(fake.mount(), "");
    const CommandResult r = run_with_report();
    expect_report_last(r);
    EXPECT_NE(r.out.find("\x1b[31mNo CXL device under test was found; no test case was run.\x1b[0m\n"
                         "Report generated in ./report/\n"),
              std::string::npos)
        << r.out;

    EXPECT_EQ(csv_report(), read(TARVO_FIXTURE_DIR "/reports/empty_history.csv"));
    EXPECT_EQ(read(dir() / "report" / "index.html"),
              read(TARVO_FIXTURE_DIR "/reports/empty_history.html"));
}

}  // namespace
