#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/commands/device_command.hpp"
#include "cli/commands/filteredtests_command.hpp"
#include "cli/commands/help_command.hpp"
#include "cli/commands/run_command.hpp"
#include "cli/commands/tests_command.hpp"
#include "cli/help_text.hpp"
#include "cli/tarvo_cli.hpp"
#include "unit/cli/test_support.hpp"
#include "unit/run/doubles.hpp"

namespace po = boost::program_options;
using namespace cli;
using rundoubles::prompt_line;
using testsupport::Capture;

TEST(RunCommand, ResolvesItsOptionTable) {
    struct Case { std::string line; RunArgs want; };
    RunArgs none;
    none.id = -1;
    RunArgs a = none;
    a.all = true;
    a.test = "2/CFG/4";
    a.slow = 3;
    RunArgs sgi = none;
    sgi.spec = "2";
    sgi.group = "CFG";
    sgi.id = 4;
    RunArgs list = none;
    list.tests = {"2/CFG/1", "1.1/CFG/3"};
    RunArgs presets = none;
    presets.spec = "2";
    presets.group = "CFG";
    RunArgs force = none;
    force.allall = true;
    force.help = true;
    const Case cases[] = {
        {"run", none},
        {"run -a -t 2/CFG/4 -d 3", a},
        {"run --spec 2 --group CFG --id 4", sgi},
        {"run -l 2/CFG/1 1.1/CFG/3", list},
        {"run -s 2 -g CFG 1 2 3", presets},  // free tokens are ignored
        {"run -f -h", force},
    };
    for (const auto& c : cases) {
        RunCommand run;
        run.resolve_args(prompt_line(c.line));
        const RunArgs& got = run.args();
        EXPECT_EQ(got.help, c.want.help) << c.line;
        EXPECT_EQ(got.all, c.want.all) << c.line;
        EXPECT_EQ(got.allall, c.want.allall) << c.line;
        EXPECT_EQ(got.test, c.want.test) << c.line;
        EXPECT_EQ(got.spec, c.want.spec) << c.line;
        EXPECT_EQ(got.group, c.want.group) << c.line;
        EXPECT_EQ(got.id, c.want.id) << c.line;
        EXPECT_EQ(got.slow, c.want.slow) << c.line;
        EXPECT_EQ(got.tests, c.want.tests) << c.line;
    }
}

TEST(RunCommand, BadTokensRaiseTheOptionLibrarysErrors) {
    for (const auto& line : {"run --bogus", "run -i x", "run --al", "run -t",
                             "run -d 1.5"}) {
        RunCommand run;
        EXPECT_THROW(run.resolve_args(prompt_line(line)), po::error) << line;
        EXPECT_EQ(run.args().id, 0) << "record untouched: " << line;
    }
}

TEST(OtherCommands, ResolveOnlyWhatIsGivenAndResetToDefaults) {
    FilteredTestsCommand ftests;
    ftests.resolve_args(prompt_line("ftests --spec 1.1 -i 4"));
    EXPECT_FLOAT_EQ(static_cast<float>(ftests.args().spec), 1.1f);
    EXPECT_TRUE(ftests.args().hasSpec());
    EXPECT_FALSE(ftests.args().hasGroup());
    EXPECT_EQ(ftests.args().id, 4);
    ftests.reset();
    EXPECT_FALSE(ftests.args().hasSpec() || ftests.args().hasGroup() || ftests.args().hasID());

    DeviceCommand devices;
    devices.resolve_args(prompt_line("devices --sut --set 3a:00.1 -l -h"));
    EXPECT_TRUE(devices.args().showSut && devices.args().showList && devices.args().help);
    EXPECT_EQ(devices.args().setSut, "3a:00.1");
    devices.reset();
    EXPECT_EQ(devices.args().setSut, "");
    EXPECT_FALSE(devices.args().showSut);

    TestsCommand tests;
    tests.resolve_args(prompt_line("tests --sort group"));
    EXPECT_EQ(tests.args().sort, "group");
    EXPECT_THROW(tests.resolve_args(prompt_line("tests -s")), po::unknown_option);
}

TEST(HelpCommand, PrintsTheOverviewWhateverFollows) {
    HelpCommand help;
    LibModules deps;
    Capture out;
    help.resolve_args(prompt_line("help --bogus -x 5"));
    EXPECT_EQ(help.execute(deps), PASS);
    EXPECT_EQ(out.text(), overview_text() + "\n");
    const auto lines = testsupport::lines_of(overview_text());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[3], "help\t\t\tShow the help menu.");
}
