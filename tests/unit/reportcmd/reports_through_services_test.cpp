// Reports of real runs: the services and facades built as the program
// builds them, run against a simulated CXL device, the reports asked for
// through the commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "api/tarvodirectory.hpp"
#include "api/tarvotester.hpp"
#include "api/tarvoutility.hpp"
#include "cli/tarvo_cli.hpp"
#include "cli/testcase_table.hpp"
#include "services/servicebuilder.hpp"
#include "sim/config_builder.hpp"
#include "sim/sim_hwio.hpp"
#include "unit/cli/test_support.hpp"

namespace fs = boost::filesystem;
using namespace tarvo;
using testsupport::Capture;
using types::TestState;

namespace {

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(TARVO_FIXTURE_DIR) + "/reports/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The records of the fixture reports, as a catalogue and a test table.
const char* const kCatalogue = R"({
 "2/CFG/4": {"parse": true, "key": "2/CFG/4", "reference": "", "spec": 2, "group": "CFG",
   "id": 4, "vers": "1", "name": "Cfg4", "description": "", "enabled": true,
   "port": "ALL", "dependencies": []},
 "1.1/CFG/2": {"parse": true, "key": "1.1/CFG/2", "reference": "", "spec": 1.1, "group": "CFG",
   "id": 2, "vers": "1", "name": "Cfg 1.1 #2", "description": "", "enabled": true,
   "port": "ALL", "dependencies": []},
 "2/MMR/1": {"parse": true, "key": "2/MMR/1", "reference": "", "spec": 2, "group": "MMR",
   "id": 1, "vers": "1", "name": "Mmr, one", "description": "", "enabled": true,
   "port": "ALL", "dependencies": []},
 "2/CFG/9": {"parse": true, "key": "2/CFG/9", "reference": "", "spec": 2, "group": "CFG",
   "id": 9, "vers": "1", "name": "Cfg \"9\"", "description": "", "enabled": true,
   "port": "ALL", "dependencies": []},
 "2/RST/7": {"parse": true, "key": "2/RST/7", "reference": "", "spec": 2, "group": "RST",
   "id": 7, "vers": "1", "name": "Rst7", "description": "", "enabled": true,
   "port": "ALL", "dependencies": []}
})";

TestFunction ending(TestState::state state, const std::string& note) {
    return [state, note](core::Testools&) { return core::TestResult(state, note); };
}

TestcaseMap fixture_table() {
    return {
        {"2/CFG/4", ending(TestState::passed, "ok")},
        {"1.1/CFG/2", ending(TestState::failed, "Fail to read <DVSEC> & \"lock\"")},
        {"2/MMR/1", ending(TestState::finished_not_supported, "")},
        {"2/CFG/9", ending(TestState::pickled, "multi\nline")},
        {"2/RST/7", ending(TestState::skipped, "skipped")},
    };
}

// A scratch tree <tmp>/work (the working directory) beside <tmp>/share with
// the logo, and a CXL memory device at 0d:00.0 that the device services find.
class ReportsOfRuns : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(work());
        fs::create_directories(root() / "share");
        std::ofstream(root() / "share" / "CXL_Logo.png").put('\x89');
        m_previous = fs::current_path();
        fs::current_path(work());

        m_bus->add_function(SBDF(0, 0x0d, 0, 0), sim::ConfigBuilder()
                                                     .ids(0x8086, 0x0d93)
                                                     .pcie_cap(PCIE_EP)
                                                     .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
                                                     .build());
        m_factory = std::make_unique<sim::ScopedHwioFactory>(m_bus);
    }
    void TearDown() override { fs::current_path(m_previous); }

    fs::path root() const { return fs::path(m_dir.path()); }
    fs::path work() const { return root() / "work"; }

    // The services, facades and commands, built in the program's order.
    void build(TestcaseMap table, const std::string& catalogue) {
        Capture quiet;
        m_builder = std::make_unique<ServiceBuilder>(catalogue);
        auto stager = m_builder->BuildCompStagingServices();
        auto testerserv = m_builder->BuildCompTestServicesWithTestcases(std::move(table));
        auto devices = m_builder->BuildDeviceServices();
        auto testinfo = m_builder->BuildComplianceTestInformationServices();
        auto reports = m_builder->BuildHTMLTestGenServices();
        auto history = m_builder->BuildTestHistoryServices();
        auto generators = m_builder->BuildTarvoGeneratorServices();
        m_modules.directory_module = std::make_shared<TarvoDirectory>(testinfo, devices);
        m_modules.tester_module = std::make_shared<TarvoTester>(stager, testerserv, devices, testinfo);
        m_modules.utility_module = std::make_shared<TarvoUtility>(reports, history, generators);
        cli::init_commands(m_commands);
        cli::init_suggested_commands(m_suggested);
    }

    // Runs a command line as the program does (one-shot); returns its output.
    std::string one_shot(std::vector<const char*> argv, int& status) {
        argv.insert(argv.begin(), "tarvo");
        const auto global = cli::main_options();
        boost::program_options::variables_map vm;
        auto parsed = cli::parse_command_line(static_cast<int>(argv.size()), argv.data(), global, vm);
        Capture out;
        status = cli::command_loop(false, vm, parsed, m_commands, m_suggested, m_modules, m_logger);
        return out.text();
    }

    std::string prompt(const std::string& lines) {
        boost::program_options::variables_map vm;
        boost::program_options::parsed_options parsed(nullptr);
        std::istringstream in(lines);
        Capture out;
        EXPECT_EQ(cli::command_loop(true, vm, parsed, m_commands, m_suggested, m_modules, m_logger,
                                    in),
                  0);
        return out.text();
    }

    // The CSV reports in the working directory, oldest first.
    std::vector<std::string> csv_reports() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(work())) {
            const std::string name = e.path().filename().string();
            if (std::regex_match(name, std::regex(R"(report_\d{4}-\d\d-\d\d_\d\d:\d\d(_\d+)?\.csv)")))
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string latest_csv() const {
        const auto names = csv_reports();
        return names.empty() ? std::string("(none)") : read(names.back());
    }
    static std::string read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    testsupport::TempDir m_dir;
    fs::path m_previous;
    std::shared_ptr<sim::SimBus> m_bus = std::make_shared<sim::SimBus>();
    std::unique_ptr<sim::ScopedHwioFactory> m_factory;
    std::unique_ptr<ServiceBuilder> m_builder;
    cli::LibModules m_modules;
    cli::CommandRegistry m_commands;
    cli::SuggestionTable m_suggested;
    Logger_t m_logger;
};

}  // namespace

TEST_F(ReportsOfRuns, HoldExactlyTheSessionsRecordedSoFar) {
    std::ofstream(root() / "catalogue.json") << kCatalogue;
    build(fixture_table(), (root() / "catalogue.json").string());
    // Nothing is written before a report is asked for.
    EXPECT_FALSE(fs::exists("report"));
    EXPECT_TRUE(csv_reports().empty());

    auto& tester = *m_modules.tester_module;
    Capture quiet;
    tester.enqueue("2", "CFG", "4");
    tester.enqueue("1.1", "CFG", "2");
    tester.run(0);
    EXPECT_EQ(prompt("csv_report\nexit\n"), "(tarvo) CSV Report generated\nReport Handler\n(tarvo) ");
    EXPECT_FALSE(fs::exists("report/index.html"));
    const std::string two_sessions = fixture("two_sessions.csv");
    EXPECT_EQ(latest_csv(), two_sessions.substr(0, two_sessions.find("\"Mmr")));

    tester.enqueue("2", "MMR", "1");
    tester.enqueue("2", "CFG", "9");
    tester.enqueue("2", "RST", "7");
    tester.run(0);
    tester.run(0);  // an empty queue records no session
    EXPECT_EQ(prompt("report\nexit\n"),
              "(tarvo) Report generated in ./report/\nReport Handler\n(tarvo) ");
    EXPECT_EQ(read("report/index.html"), fixture("two_sessions.html"));
    EXPECT_EQ(read("report/style.css"), fixture("style.css"));
    EXPECT_EQ(latest_csv(), two_sessions);
}

TEST_F(ReportsOfRuns, OneShotRunWithReportOptionEndsWithTheReport) {
    build(cli::build_testcase_map(), TARVO_SOURCE_DIR "/etc/testcases.json");
    int status = -1;
    const std::string out = one_shot({"run", "-t", "2/CFG/4", "-R"}, status);
    EXPECT_EQ(status, 0);
    const std::string tail = "Report generated in ./report/\nReport Handler\n";
    ASSERT_GE(out.size(), tail.size()) << out;
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << out;

    EXPECT_EQ(latest_csv(), "Description, Test ID, Result\nCXL device DVSEC header,2/CFG/4,passed\n");
    const std::string html = read("report/index.html");
    const std::string row = "<tr><td>1</td><td>2.0</td><td>CFG</td><td>4</td>"
                            "<td>CXL device DVSEC header</td><td>&#9989</td>";
    EXPECT_NE(html.find("<h2>Session: 1</h2>"), std::string::npos) << html;
    EXPECT_EQ(html.find("<h2>Session: 2</h2>"), std::string::npos) << html;
    EXPECT_NE(html.find(row), std::string::npos) << html;
}

TEST_F(ReportsOfRuns, AReportThatCannotBeWrittenIsOneRedLineAndTheProgramGoesOn) {
    struct Case {
        std::string what;
        std::function<void()> block;
        std::string lines;
        // The files that cannot be made, in output order; whether a CSV is written.
        std::vector<std::string> failures;
        bool csv_written;
    };
    const std::string report = "Report generated in ./report/\nReport Handler\n";
    const std::string csv = "CSV Report generated\nReport Handler\n";
    const Case cases[] = {
        {"report is a file", [] { std::ofstream("report") << "x"; }, "report\n",
         {"report", "report"}, false},
        {"csv_report, report is a file", [] { std::ofstream("report") << "x"; }, "csv_report\n",
         {"report"}, false},
        {"index.html is a directory", [] { fs::create_directories("report/index.html"); },
         "report\n", {"report/index.html"}, true},
    };
    build(fixture_table(), "/nonexistent/catalogue.json");
    for (const auto& c : cases) {
        fs::remove_all("report");
        for (const auto& name : csv_reports())
            fs::remove(name);
        c.block();
        const std::string out = prompt(c.lines + "help\nexit\n");
        const auto lines = testsupport::lines_of(out);
        const std::string first = c.lines == "report\n" ? report : csv;
        ASSERT_EQ(out.rfind("(tarvo) " + first, 0), 0u) << c.what << "\n" << out;
        ASSERT_GE(lines.size(), 2 + c.failures.size()) << c.what << "\n" << out;
        for (size_t i = 0; i < c.failures.size(); ++i) {
            const std::string& line = lines[2 + i];
            EXPECT_TRUE(std::regex_match(line, std::regex("\x1b\\[31mCannot [^\n]* \"" +
                                                          c.failures[i] + "\": .+\x1b\\[0m")))
                << c.what << ": " << line;
        }
        // The prompt goes on with the next command.
        EXPECT_EQ(lines[2 + c.failures.size()],
                  "(tarvo) For additional help, subcommands include a help menu when ran without "
                  "options.")
            << c.what;
        EXPECT_EQ(csv_reports().size(), c.csv_written ? 1u : 0u) << c.what;
        if (c.csv_written) {
            EXPECT_EQ(latest_csv(), "Description, Test ID, Result\n") << c.what;
        }
    }
}
