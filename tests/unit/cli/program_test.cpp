// Runs the real program in a temporary working directory and looks at its
// output, its exit status and the log files it leaves.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include "cli/help_text.hpp"
#include "unit/cli/test_support.hpp"

using testsupport::invalid_command;
using testsupport::lines_of;
using testsupport::RED;
using testsupport::RESET;
using testsupport::TempDir;

namespace {

const std::string WELCOME = "type \"help\" for a list of commands.\n\n";
// The working directories of these runs have no ../etc/testcases.json: the
// program says so once, when it builds its services, and goes on.
const std::string NO_CATALOGUE = RED +
                                 "Cannot load the test-case file \"../etc/testcases.json\": No "
                                 "such file or directory" +
                                 RESET + "\n";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs tarvo with `args` in `workdir`, `input` as its standard input.
Outcome run_tarvo(const std::vector<std::string>& args, const std::string& workdir,
                  const std::string& input = "") {
    TempDir io;
    const std::string in_path = io.path() + "/in", out_path = io.path() + "/out",
                      err_path = io.path() + "/err";
    std::ofstream(in_path) << input;

    std::vector<char*> argv;
    std::string binary = TARVO_BINARY;
    argv.push_back(&binary[0]);
    std::vector<std::string> copies = args;
    for (auto& a : copies)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open(in_path.c_str(), O_RDONLY);
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || chdir(workdir.c_str()) != 0)
            _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Outcome o;
    int status = 0;
    waitpid(pid, &status, 0);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    o.out = io.read("out");
    o.err = io.read("err");
    return o;
}

boost::property_tree::ptree parse_json(const std::string& text) {
    std::istringstream in(text);
    boost::property_tree::ptree tree;
    boost::property_tree::read_json(in, tree);
    return tree;
}

}  // namespace

TEST(Program, AnswersHelpAndVersionWithoutLogging) {
    struct Case { std::vector<std::string> args; std::string begins; std::string ends; };
    const std::string help_end = "\n\n" + cli::overview_text() + "\n";
    const Case cases[] = {
        {{"--version"}, "tarvo version 2.0.8\n", "tarvo version 2.0.8\n"},
        {{"--help"}, "usage tarvo [--help] [--version] <command> <args>:\n  --help  ", help_end},
        {{"--help", "run", "--verbosity", "11"}, "usage tarvo", help_end},
        {{"run", "--help"}, "usage tarvo", help_end},
        {{"--quiet", "--help"}, "", ""},
        {{"-Q", "--version"}, "", ""},
    };
    for (const auto& c : cases) {
        TempDir work;
        const Outcome o = run_tarvo(c.args, work.path());
        EXPECT_EQ(o.status, 0) << c.args[0];
        EXPECT_EQ(o.out.substr(0, c.begins.size()), c.begins) << o.out;
        ASSERT_GE(o.out.size(), c.ends.size());
        EXPECT_EQ(o.out.substr(o.out.size() - c.ends.size()), c.ends) << o.out;
        EXPECT_EQ(o.err, "");
        EXPECT_TRUE(work.files().empty()) << c.args[0];
    }
    TempDir work;
    const Outcome help = run_tarvo({"--help"}, work.path());
    EXPECT_NE(help.out.find("  -I [ --testcasefile ] arg Input file to use\n"), std::string::npos)
        << help.out;
}

TEST(Program, OneShotStatuses) {
    struct Case { std::vector<std::string> args; int status; std::string out; };
    const Case cases[] = {
        {{"tets"}, 1, NO_CATALOGUE + invalid_command("tets")},
        {{"rin"}, 1, NO_CATALOGUE + invalid_command("rin", "run")},
        {{""}, 1, NO_CATALOGUE + invalid_command("")},
        {{"exit"}, 0, NO_CATALOGUE},
        {{"help", "extra", "-x"}, 0, NO_CATALOGUE + cli::overview_text() + "\n"},
        {{"run", "--bogus"}, 0, NO_CATALOGUE + RED + "unrecognised option '--bogus'" + RESET + "\n"},
        {{"-I", "x"}, 1, RED + "option '-I' is ambiguous and matches '--interactive', and '--testcasefile'" + RESET + "\n"},
        {{"--verbosity", "x", "help"}, 1, RED + "the argument ('x') for option '--verbosity' is invalid" + RESET + "\n"},
        {{"help", "--verbosity"}, 1, RED + "the required argument for option '--verbosity' is missing" + RESET + "\n"},
    };
    for (const auto& c : cases) {
        TempDir work;
        const Outcome o = run_tarvo(c.args, work.path());
        EXPECT_EQ(o.status, c.status) << c.args[0];
        EXPECT_EQ(o.out, c.out) << c.args[0];
        // At the default verbosity no record passes, so no log file is made.
        EXPECT_TRUE(work.files().empty()) << c.args[0];
    }
}

TEST(Program, InteractiveModeEndsAtExitOrEndOfInput) {
    struct Case { std::vector<std::string> args; std::string input; std::string out; };
    const Case cases[] = {
        {{}, "help\n", WELCOME + NO_CATALOGUE + "(tarvo) " + cli::overview_text() + "\n(tarvo) \n"},
        {{}, "", WELCOME + NO_CATALOGUE + "(tarvo) \n"},
        {{}, "\nexit\nhelp\n", WELCOME + NO_CATALOGUE + "(tarvo) No command was given.\n(tarvo) "},
        // The command of the command line is not run in interactive mode.
        {{"--interactive", "help"}, "", WELCOME + NO_CATALOGUE + "(tarvo) \n"},
        {{"-M"}, "rin\nexit\n", WELCOME + NO_CATALOGUE + "(tarvo) " + invalid_command("rin", "run") + "(tarvo) "},
    };
    for (const auto& c : cases) {
        TempDir work;
        const Outcome o = run_tarvo(c.args, work.path(), c.input);
        EXPECT_EQ(o.status, 0) << c.input;
        EXPECT_EQ(o.out, c.out) << c.input;
    }
}

TEST(Program, WritesTheThreeLogFormats) {
    TempDir work;
    const std::string word = "odd\"word\\with\nnewline";
    const Outcome o = run_tarvo({"--verbosity", "11", word}, work.path());
    EXPECT_EQ(o.status, 1);

    const auto jsons = work.files(".json");
    const auto logs = work.files(".log");
    ASSERT_EQ(jsons.size(), 1u);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_TRUE(std::regex_match(jsons[0], std::regex("file_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.0\\.json")));

    // The JSON file is a closed array that parses, messages intact.
    const auto tree = parse_json(work.read(jsons[0]));
    std::vector<std::string> messages;
    int line = 0;
    for (const auto& record : tree) {
        EXPECT_EQ(record.second.get<int>("lineID"), ++line);
        EXPECT_EQ(record.second.get<std::string>("severity"), "DEBUG 1");
        messages.push_back(record.second.get<std::string>("message"));
    }
    ASSERT_GE(messages.size(), 14u);
    EXPECT_EQ(messages[0], "Logging has been initialized.");
    EXPECT_EQ(messages[1], "is_interactive is set to: 0");
    EXPECT_EQ(messages[2], "Service Builder initialized to ../etc/testcases.json");
    EXPECT_EQ(messages[3], "Stager initialized.");
    EXPECT_EQ(messages[10], "Library Modules initialized.");
    EXPECT_EQ(messages[11], "Command sent: " + word);

    const std::string text = work.read(logs[0]);
    EXPECT_EQ(text.substr(0, 4), "[1] ");
    EXPECT_TRUE(std::regex_search(text, std::regex("^\\[1\\] \\[\\d\\d:\\d\\d:\\d\\d\\] \\[DEBUG 1\\] : Logging has been initialized.\n")));
    EXPECT_NE(text.find("] [DEBUG 1] : Command sent: " + word + "\n"), std::string::npos);

    EXPECT_TRUE(std::regex_search(o.out, std::regex("^\\[\\d\\d:\\d\\d:\\d\\d\\]\\[DEBUG 1\x1b\\[0m\\]:\tLogging has been initialized.\n")))
        << o.out;
    EXPECT_NE(o.out.find(invalid_command(word)), std::string::npos);
}

TEST(Program, NoutAndQuietLeaveTheOtherSinks) {
    TempDir nout;
    const Outcome a = run_tarvo({"--nout", "--verbosity", "7", "help"}, nout.path());
    EXPECT_EQ(a.status, 0);
    EXPECT_TRUE(nout.files(".json").empty());
    ASSERT_EQ(nout.files(".log").size(), 1u);
    EXPECT_EQ(nout.read(nout.files(".log")[0]).substr(0, 4), "[1] ");
    EXPECT_NE(a.out.find("]:\tLogging has been initialized."), std::string::npos);

    TempDir quiet;
    const Outcome b = run_tarvo({"--quiet", "--verbosity", "7", "tets"}, quiet.path());
    EXPECT_EQ(b.status, 1);
    EXPECT_EQ(b.out, "");
    EXPECT_EQ(b.err, "");
    EXPECT_EQ(quiet.files(".json").size(), 1u);
    EXPECT_EQ(quiet.files(".log").size(), 1u);
}
