// The report and csv_report commands over a Utility that notes its calls.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "api/utility.hpp"
#include "cli/commands/report_command.hpp"
#include "cli/tarvo_cli.hpp"
#include "unit/cli/test_support.hpp"
#include "unit/run/doubles.hpp"

namespace {

using testsupport::Capture;

class RecordingUtility : public tarvo::Utility {
public:
    void make_html_test_report() override { calls.push_back("html"); }
    void make_csv_test_report() override { calls.push_back("csv"); }
    std::vector<std::string> calls;
};

struct Rig {
    std::shared_ptr<RecordingUtility> utility = std::make_shared<RecordingUtility>();
    cli::LibModules modules{nullptr, nullptr, utility};
};

}  // namespace

TEST(ReportCommands, WriteTheirLineThenAskForTheirReportsWhateverFollows) {
    struct Case {
        std::function<std::shared_ptr<cli::Command>()> make;
        std::string line;
        std::string output;
        std::vector<std::string> calls;
    };
    const std::string report = "Report generated in ./report/\nReport Handler\n";
    const std::string csv = "CSV Report generated\nReport Handler\n";
    const Case cases[] = {
        {[] { return std::make_shared<cli::ReportCommand>(); }, "report", report, {"html", "csv"}},
        {[] { return std::make_shared<cli::ReportCommand>(); }, "report --bogus -h 5", report,
         {"html", "csv"}},
        {[] { return std::make_shared<cli::CSVReportCommand>(); }, "csv_report", csv, {"csv"}},
        {[] { return std::make_shared<cli::CSVReportCommand>(); }, "csv_report -h --all x", csv,
         {"csv"}},
    };
    for (const auto& c : cases) {
        Rig rig;
        auto command = c.make();
        Capture out;
        EXPECT_NO_THROW(command->resolve_args(rundoubles::prompt_line(c.line))) << c.line;
        EXPECT_EQ(command->execute(rig.modules), cli::PASS) << c.line;
        command->reset();
        EXPECT_EQ(out.text(), c.output) << c.line;
        EXPECT_EQ(rig.utility->calls, c.calls) << c.line;
    }
}

TEST(ReportCommands, ReachedThroughTheRegistry) {
    struct Case {
        bool interactive;
        std::vector<const char*> argv;
        std::string input;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        // The command, then once more for the option.
        {false, {"tarvo", "report", "--report"}, "", {"html", "csv", "html", "csv"}},
        {false, {"tarvo", "csv_report", "-R"}, "", {"csv", "html", "csv"}},
        // At the prompt the plural finds the command; --report is ignored.
        {true, {"tarvo"}, "reports --report\ncsv_reports\nexit\n", {"html", "csv", "csv"}},
    };
    for (const auto& c : cases) {
        Rig rig;
        cli::CommandRegistry commands;
        cli::SuggestionTable suggested;
        cli::init_commands(commands);
        cli::init_suggested_commands(suggested);
        const auto global = cli::main_options();
        boost::program_options::variables_map vm;
        auto parsed = cli::parse_command_line(static_cast<int>(c.argv.size()), c.argv.data(),
                                              global, vm);
        Logger_t logger;
        std::istringstream in(c.input);
        Capture out;
        EXPECT_EQ(cli::command_loop(c.interactive, vm, parsed, commands, suggested, rig.modules,
                                    logger, in),
                  0);
        EXPECT_EQ(rig.utility->calls, c.calls) << out.text();
    }
}
