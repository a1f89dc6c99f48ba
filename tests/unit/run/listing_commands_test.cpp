#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/commands/filteredtests_command.hpp"
#include "cli/commands/tests_command.hpp"
#include "unit/run/doubles.hpp"

using namespace rundoubles;
using Calls = std::vector<std::string>;
using testsupport::Capture;
using testsupport::lines_of;
using testsupport::not_possible;

namespace {

struct Outcome {
    int status;
    Calls directory;
    std::string out;
};

template <typename Command>
Outcome list_line(const std::string& line, std::vector<TestData> answer) {
    Recorders r;
    r.directory->answer = std::move(answer);
    Command command;
    command.resolve_args(prompt_line(line));
    Capture out;
    const int status = command.execute(r.modules);
    return {status, r.directory->calls, out.text()};
}

const std::vector<TestData> one = {entry("2/CFG/4", 2, "CFG", 4, "CXL device DVSEC header")};
const std::string hint = "\nTo sort the list, rerun with --sort [group/id]\n";
const std::string ftests_quickstart =
    "tarvo ftests [options]\nHere is a quickstart:\nFilter out a specific Spec\n"
    "\ttarvo ftests --spec [spec number]\nFilter out a specific group\n"
    "\ttarvo ftests --group [group number]\nFilter out specific IDs\n"
    "\ttarvo ftests --id [id number]\nFilter out combinations\n"
    "spec + group: tarvo ftests --spec [num] --group [group]\n"
    "You can mix and match SPEC GROUP ID to perform any filter.\n";

}  // namespace

TEST(TestsListing, EachSortAsksForItsListAndOnlyTheDefaultHintsAtSorting) {
    struct Case {
        std::string line;
        Calls directory;
        bool hinted;
    };
    const Case cases[] = {
        {"tests", {"default"}, true},
        {"tests --sort spec", {"default"}, true},
        {"tests --sort group", {"sorted_on_group"}, false},
        {"tests --sort id", {"sorted_on_id"}, false},
        {"tests --sort name", {}, false},
        {"tests -h", {}, false},
    };
    for (const auto& c : cases) {
        const Outcome o = list_line<cli::TestsCommand>(c.line, one);
        EXPECT_EQ(o.status, cli::PASS) << c.line;
        EXPECT_EQ(o.directory, c.directory) << c.line;
        const bool listed = !c.directory.empty();
        EXPECT_EQ(o.out.find("2/CFG/4") != std::string::npos, listed) << c.line;
        EXPECT_EQ(o.out.size() >= hint.size() &&
                      o.out.compare(o.out.size() - hint.size(), hint.size(), hint) == 0,
                  c.hinted)
            << c.line;
    }
    // An empty catalogue prints no table, but still the hint.
    EXPECT_EQ(list_line<cli::TestsCommand>("tests", {}).out, hint);
}

TEST(FilteredListing, EachCombinationReachesItsOneFilter) {
    struct Case {
        std::string line;
        Calls directory;
    };
    const Case cases[] = {
        {"ftests --spec 2", {"filter_spec 2"}},
        {"ftests -s 1.1", {"filter_spec 1.10000002"}},
        {"ftests -g cfg", {"filter_group cfg"}},
        {"ftests -i 4", {"filter_id 4"}},
        {"ftests -g MMR -i 4", {"filter_group_and_id MMR 4"}},
        {"ftests -s 2 -g CFG", {"filter_spec_and_group 2 CFG"}},
        {"ftests -s 2 -i 7", {"filter_spec_and_id 2 7"}},
        // -1 stands for an option not given.
        {"ftests -s -1 -g RST", {"filter_group RST"}},
    };
    for (const auto& c : cases) {
        const Outcome o = list_line<cli::FilteredTestsCommand>(c.line, one);
        EXPECT_EQ(o.status, cli::PASS) << c.line;
        EXPECT_EQ(o.directory, c.directory) << c.line;
        EXPECT_EQ(lines_of(o.out).size(), 3u) << c.line;
    }
    EXPECT_EQ(list_line<cli::FilteredTestsCommand>("ftests -i 99", {}).out, "");
}

TEST(FilteredListing, NoOrAllOptionsEndInTheHelpTexts) {
    for (const auto& line : {"ftests", "ftests -s 2 -g CFG -i 4", "ftests -s -1 -i -1"}) {
        const Outcome o = list_line<cli::FilteredTestsCommand>(line, one);
        EXPECT_EQ(o.status, cli::INVALID_INPUT) << line;
        EXPECT_TRUE(o.directory.empty()) << line;
        EXPECT_EQ(o.out, not_possible + ftests_quickstart) << line;
    }
    const Outcome help = list_line<cli::FilteredTestsCommand>("ftests -h --spec 2", one);
    EXPECT_EQ(help.status, cli::PASS);
    EXPECT_TRUE(help.directory.empty());
    EXPECT_EQ(help.out, ftests_quickstart);
}

TEST(FilteredListing, ASecondUseStartsFromNothingGiven) {
    Recorders r;
    cli::FilteredTestsCommand ftests;
    ftests.resolve_args(prompt_line("ftests -s 2 -g CFG"));
    ftests.reset();
    ftests.resolve_args(prompt_line("ftests -i 3"));
    Capture out;
    ftests.execute(r.modules);
    EXPECT_EQ(r.directory->calls, (Calls{"filter_id 3"}));
}
