#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "cli/commands/run_command.hpp"
#include "unit/run/doubles.hpp"

using namespace rundoubles;
using Calls = std::vector<std::string>;
using testsupport::Capture;
using testsupport::not_possible;

namespace {

struct Outcome {
    int status;
    Calls tester;
    Calls directory;
    std::string out;
};

// Resolves and executes one prompt line of run against the recorders; the
// catalogue answers every list with 2/CFG/1 and 1.1/CFG/3.
Outcome run_line(const std::string& line) {
    Recorders r;
    r.directory->answer = {entry("2/CFG/1", 2, "CFG", 1), entry("1.1/CFG/3", 1.1f, "CFG", 3)};
    cli::RunCommand run;
    run.resolve_args(prompt_line(line));
    Capture out;
    const int status = run.execute(r.modules);
    return {status, r.tester->calls, r.directory->calls, out.text()};
}

const std::string quickstart =
    "tarvo run [options]\nHere is a quickstart:\nRun all testcases\n\ttarvo run --all\n"
    "\ttarvo run -a\nRun entire spec\n\ttarvo run --spec [spec number]\nRun entire group\n"
    "\ttarvo run --group [group name]\nRun only a particular ID\n\ttarvo run --id [ID number]\n"
    "Run a specific testcase\n\ttarvo run -t [spec]/[groupname]/[id]\n"
    "Run a list of testcases\n\ttarvo run -l [[spec]/[groupname]/[id], ...]\n"
    "\tnote: to run a list of testcases with a preset spec/group\n"
    "\ttarvo run -s [spec number] -g [group name] [list of IDs]\n\n";

}  // namespace

TEST(RunSelection, EachSelectionQueuesExactlyWhatItSays) {
    struct Case {
        std::string line;
        Calls tester;
        Calls directory;
    };
    const Case cases[] = {
        {"run -a -d 2", {"select_all_of_port 5", "run 2", "clear"}, {"current_sut_target"}},
        {"run -a -t 2/CFG/4", {"select_all_of_port 5", "run 0", "clear"}, {"current_sut_target"}},
        // The single test leaves the queue to the service (no clear).
        {"run -t 2/CFG/4 -d 3", {"enqueue 2 CFG 4", "run 3"}, {}},
        {"run -t 1.1/cfg/13", {"enqueue 1.1 cfg 13", "run 0"}, {}},
        {"run -s 2 -g CFG -i 4", {"enqueue 2 CFG 4", "run 0"}, {}},
        {"run -t CFG/4", {"enqueue  CFG 4", "run 0"}, {}},
        {"run -s 2", {"enqueue 2/CFG/1", "enqueue 1.1/CFG/3", "run 0", "clear"},
         {"filter_spec 2"}},
        {"run -s 1.1", {"enqueue 2/CFG/1", "enqueue 1.1/CFG/3", "run 0", "clear"},
         {"filter_spec 1.10000002"}},
        {"run -g MMR -d 1", {"enqueue 2/CFG/1", "enqueue 1.1/CFG/3", "run 1", "clear"},
         {"filter_group MMR"}},
        {"run -i 4", {"enqueue 2/CFG/1", "enqueue 1.1/CFG/3", "run 0", "clear"},
         {"filter_id 4"}},
        {"run -f", {"select_all", "run 0", "clear"}, {}},
    };
    for (const auto& c : cases) {
        const Outcome o = run_line(c.line);
        EXPECT_EQ(o.status, cli::PASS) << c.line;
        EXPECT_EQ(o.tester, c.tester) << c.line;
        EXPECT_EQ(o.directory, c.directory) << c.line;
        EXPECT_EQ(o.out, "") << c.line;
    }
}

TEST(RunSelection, AListEntryKeepsItsOwnSpecAndGroupAndOtherwiseTakesTheFirstGiven) {
    struct Case {
        std::string line;
        Calls queued;
    };
    const Case cases[] = {
        {"run -s 2 -g CFG -l 1 5", {"enqueue 2 CFG 1", "enqueue 2 CFG 5"}},
        {"run -l 2/CFG/1 5 6", {"enqueue 2 CFG 1", "enqueue 2 CFG 5", "enqueue 2 CFG 6"}},
        {"run -l 2/CFG/1 1.1/CFG/3", {"enqueue 2 CFG 1", "enqueue 1.1 CFG 3"}},
        // The first entry that supplied them, not the latest.
        {"run -l 2/CFG/1 1.1/CFG/3 4",
         {"enqueue 2 CFG 1", "enqueue 1.1 CFG 3", "enqueue 2 CFG 4"}},
        {"run -l 2/CFG/1 1.1/RST/3 MMR/4 7",
         {"enqueue 2 CFG 1", "enqueue 1.1 RST 3", "enqueue 2 MMR 4", "enqueue 2 CFG 7"}},
        // -s and -g hold over what any entry supplies.
        {"run -s 1.1 -g CFG -l 3 2/CFG/4", {"enqueue 1.1 CFG 3", "enqueue 2 CFG 4"}},
        {"run -s 1.1 -l 2/MMR/1 CFG/3 4",
         {"enqueue 2 MMR 1", "enqueue 1.1 CFG 3", "enqueue 1.1 MMR 4"}},
        {"run -g MEM -l 5 2/CFG/1 6", {"enqueue  MEM 5", "enqueue 2 CFG 1", "enqueue 2 MEM 6"}},
        // Spec and group are carried apart.
        {"run -l CFG/1 2/MMR/2 3", {"enqueue  CFG 1", "enqueue 2 MMR 2", "enqueue 2 CFG 3"}},
        // Nothing supplies them: the key stays short, for the service to
        // reject.
        {"run -l 5", {"enqueue   5"}},
    };
    for (const auto& c : cases) {
        const Outcome o = run_line(c.line);
        Calls expected = c.queued;
        expected.insert(expected.end(), {"run 0", "clear"});
        EXPECT_EQ(o.status, cli::PASS) << c.line;
        EXPECT_EQ(o.tester, expected) << c.line;
        EXPECT_EQ(o.out, "") << c.line;
    }
}

TEST(RunSelection, HelpAndImpossibleMixesSelectNothing) {
    const Outcome help = run_line("run -h -a");
    EXPECT_EQ(help.status, cli::PASS);
    EXPECT_EQ(help.out, quickstart);
    EXPECT_TRUE(help.tester.empty());

    for (const auto& line : {"run", "run -d 5", "run -s 2 -g CFG", "run -s 2 -i 4",
                             "run -g CFG -i 4", "run -l 2/CFG/1 -i 4", "run -s 2 -g CFG 1 2 3"}) {
        const Outcome o = run_line(line);
        EXPECT_EQ(o.status, cli::INVALID_INPUT) << line;
        EXPECT_EQ(o.out, not_possible + quickstart) << line;
        EXPECT_TRUE(o.tester.empty()) << line;
        EXPECT_TRUE(o.directory.empty()) << line;
    }
}

TEST(RunSelection, BadValuesAreInvalidArgumentsAndQueueNothing) {
    // Delays are bounded to an hour, specs must be finite numbers, and a
    // list is split whole before its first entry is queued.
    for (const auto& line : {"run -a -d 3601", "run -t 2/CFG/4 -d -1", "run -s abc", "run -s nan",
                             "run -s inf", "run -s 1e300", "run -t 2/CFG/x",
                             "run -l 2/CFG/1 2/CFG/x", "run -s 2 -g CFG -l 1 y"}) {
        Recorders r;
        cli::RunCommand run;
        Capture out;
        EXPECT_THROW(
            {
                run.resolve_args(prompt_line(line));
                run.execute(r.modules);
            },
            std::invalid_argument)
            << line;
        EXPECT_TRUE(r.tester->calls.empty()) << line;
    }
    // A number beyond int is caught by the command loop as well.
    Recorders r;
    cli::RunCommand run;
    run.resolve_args(prompt_line("run -t 2/CFG/99999999999"));
    EXPECT_THROW(run.execute(r.modules), std::out_of_range);
    EXPECT_TRUE(r.tester->calls.empty());
}

TEST(RunSelection, TheLongestDelayIsAnHour) {
    EXPECT_EQ(run_line("run -f -d 3600").tester, (Calls{"select_all", "run 3600", "clear"}));
}

TEST(RunSelection, ResetStartsTheNextLineFromDefaults) {
    Recorders r;
    cli::RunCommand run;
    run.resolve_args(prompt_line("run -t 2/CFG/4 -d 3"));
    run.reset();
    run.resolve_args(prompt_line("run -f"));
    run.execute(r.modules);
    EXPECT_EQ(r.tester->calls, (Calls{"select_all", "run 0", "clear"}));
}
