#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/help_text.hpp"
#include "cli/tarvo_cli.hpp"
#include "unit/cli/test_support.hpp"
#include "unit/model/log_capture.hpp"

namespace po = boost::program_options;
using namespace cli;
using testsupport::Capture;
using testsupport::invalid_command;
using testsupport::RED;
using testsupport::RESET;

namespace {

// Notes what the loop asks of it, and what tokens it was given.
class RecordingCommand : public Command {
public:
    RecordingCommand(std::string name, std::vector<std::string>& journal)
        : m_name(std::move(name)), m_journal(journal) {}

    int execute(LibModules&) override {
        m_journal.push_back(m_name + ":execute");
        if (fault)
            fault();
        return PASS;
    }
    void resolve_args(po::parsed_options parsed) override {
        std::string words;
        for (const auto& w : po::collect_unrecognized(parsed.options, po::include_positional))
            words += " " + w;
        m_journal.push_back(m_name + ":resolve" + words);
    }
    void reset() override { m_journal.push_back(m_name + ":reset"); }

    std::function<void()> fault;

private:
    std::string m_name;
    std::vector<std::string>& m_journal;
};

struct Program {
    std::vector<std::string> journal;
    CommandRegistry commands;
    SuggestionTable suggested;
    LibModules modules;
    Logger_t logger;

    Program() {
        for (const auto& name : {"run", "tests", "ftests", "devices", "report", "csv_report", "help"})
            commands[name] = std::make_shared<RecordingCommand>(name, journal);
        init_suggested_commands(suggested);
    }

    RecordingCommand& command(const std::string& name) {
        return static_cast<RecordingCommand&>(*commands.at(name));
    }

    // One-shot: the words as the program's arguments.
    int one_shot(const std::vector<std::string>& words) {
        std::vector<const char*> argv = {"tarvo"};
        for (const auto& w : words)
            argv.push_back(w.c_str());
        const auto global = main_options();
        po::variables_map vm;
        const auto parsed = parse_command_line(static_cast<int>(argv.size()), argv.data(), global, vm);
        return command_loop(false, vm, parsed, commands, suggested, modules, logger);
    }

    // Interactive: the text as standard input.
    int interactive(const std::string& input) {
        std::istringstream in(input);
        const auto global = main_options();
        po::variables_map vm;
        return command_loop(true, vm, po::parsed_options(&global), commands, suggested, modules,
                            logger, in);
    }
};

}  // namespace

TEST(CommandLoop, LooksUpPluralThenSingularThenTheWord) {
    struct Case { std::string word; std::string command; };
    const Case cases[] = {
        {"test", "tests"}, {"device", "devices"}, {"runs", "run"}, {"run", "run"},
        {"reports", "report"}, {"help", "help"}, {"ftest", "ftests"}, {"csv_reports", "csv_report"},
    };
    for (const auto& c : cases) {
        Program p;
        Capture out;
        EXPECT_EQ(p.one_shot({c.word, "-a", "5"}), 0) << c.word;
        EXPECT_EQ(p.journal, (std::vector<std::string>{c.command + ":resolve " + c.word + " -a 5",
                                                        c.command + ":execute",
                                                        c.command + ":reset"}))
            << c.word;
        EXPECT_EQ(out.text(), "");
    }
}

TEST(CommandLoop, LogsThePluralAndTheSingularOfEveryWordBeforeTheLookup) {
    struct Case { std::string word; std::string plural; std::string singular; };
    const Case cases[] = {
        {"test", "tests", "tes"}, {"runs", "runss", "run"}, {"tets", "tetss", "tet"},
        {"exit", "exits", "exi"}, {"x", "xs", ""},
        // The empty word has no singular to form.
        {"", "s", ""},
    };
    for (const auto& c : cases) {
        Program p;
        Capture out;
        LogCapture log;
        p.one_shot({c.word});
        const std::vector<LogCapture::Record> expected = {
            {debug_1, "Command sent: " + c.word},
            {debug_1, "Command with trailing 's': " + c.plural},
            {debug_1, "Command with no trailing 's': " + c.singular},
        };
        EXPECT_EQ(log.records(), expected) << c.word;
    }
}

TEST(CommandLoop, OneShotReportRunsAfterTheCommand) {
    Program p;
    EXPECT_EQ(p.one_shot({"run", "-a", "-R"}), 0);
    EXPECT_EQ(p.journal, (std::vector<std::string>{"run:resolve run -a", "run:execute", "run:reset",
                                                    "report:execute"}));
}

TEST(CommandLoop, OneShotMainOptionsAreTakenWhereverTheyStand) {
    Program p;
    EXPECT_EQ(p.one_shot({"run", "--test", "2/CFG/4", "-t", "x", "--nout"}), 0);
    // --test is a prefix of --testcasefile, so the command never sees it.
    EXPECT_EQ(p.journal.front(), "run:resolve run -t x");
}

TEST(CommandLoop, WordsThatNameNoCommand) {
    struct Case { std::string word; int status; std::string output; };
    const Case cases[] = {
        {"tets", 1, invalid_command("tets")},
        {"rin", 1, invalid_command("rin", "run")},
        {"deivce", 1, invalid_command("deivce", "devices")},
        {"exits", 1, invalid_command("exits")},
        {"", 1, invalid_command("")},
        {"exit", 0, ""},
    };
    for (const auto& c : cases) {
        Program p;
        Capture out;
        EXPECT_EQ(p.one_shot({c.word}), c.status) << c.word;
        EXPECT_EQ(out.text(), c.output) << c.word;
        EXPECT_TRUE(p.journal.empty());
    }
}

TEST(CommandLoop, UserInputErrorsAreShownInRedAndEndOnlyTheLine) {
    struct Case { std::function<void()> fault; std::string shown; };
    const Case cases[] = {
        {[] { throw std::invalid_argument("stoi"); }, "One of the arguments was invalid."},
        {[] { throw po::unknown_option("--bogus"); }, "unrecognised option '--bogus'"},
        {[] { throw std::length_error("basic_string"); }, "Perhaps mispelled?"},
        {[] { throw std::out_of_range("stoi"); }, "One of the arguments was invalid."},
        {[] { throw po::invalid_option_value("x"); }, po::invalid_option_value("x").what()},
        {[] { throw std::runtime_error("device gone"); }, "device gone"},
    };
    for (const auto& c : cases) {
        Program p;
        p.command("run").fault = c.fault;
        Capture out;
        EXPECT_EQ(p.one_shot({"run", "-R"}), 0) << c.shown;
        EXPECT_EQ(out.text(), RED + c.shown + RESET + "\n");
        // No report after a failed command; the record is reset all the same.
        EXPECT_EQ(p.journal, (std::vector<std::string>{"run:resolve run", "run:execute",
                                                        "run:reset"}));
    }
}

TEST(CommandLoop, InteractiveReadsLinesUntilExit) {
    Program p;
    p.command("tests").fault = [] { throw std::invalid_argument("x"); };
    Capture out;
    EXPECT_EQ(p.interactive("help\n\n  test  -h \ntets\nrun -a --report\nexit\nhelp\n"), 0);
    EXPECT_EQ(out.text(), "(tarvo) (tarvo) No command was given.\n(tarvo) " + RED +
                              "One of the arguments was invalid." + RESET + "\n(tarvo) " +
                              invalid_command("tets") + "(tarvo) (tarvo) ");
    // Main options are unknown at the prompt: --report goes to the command.
    EXPECT_EQ(p.journal,
              (std::vector<std::string>{"help:resolve help", "help:execute", "help:reset",
                                        "tests:resolve test -h", "tests:execute", "tests:reset",
                                        "run:resolve run -a --report", "run:execute",
                                        "run:reset"}));
}

TEST(CommandLoop, InteractiveEndsAtTheEndOfInput) {
    for (const std::string input : {"", "help", "help\n", "\n\n"}) {
        Program p;
        Capture out;
        EXPECT_EQ(p.interactive(input), 0) << input;
        EXPECT_EQ(out.text().substr(out.text().size() - 9), "(tarvo) \n") << input;
    }
}

TEST(CommandLoop, InteractiveLineThatDoesNotParseIsReported) {
    Program p;
    Capture out;
    EXPECT_EQ(p.interactive("--command\nhelp\n"), 0);
    EXPECT_NE(out.text().find(RED + "the required argument for option '--command' is missing"),
              std::string::npos)
        << out.text();
    EXPECT_EQ(p.journal.size(), 3u);
}

TEST(CommandLoop, RealCommandsAtThePrompt) {
    Program p;
    p.commands.clear();
    init_commands(p.commands);
    ASSERT_EQ(p.commands.size(), 7u);
    Capture out;
    EXPECT_EQ(p.interactive("run -a --report\nhelps\nexit\n"), 0);
    EXPECT_EQ(out.text(), "(tarvo) " + RED + "unrecognised option '--report'" + RESET + "\n" +
                              "(tarvo) " + overview_text() + "\n" + "(tarvo) ");
}

TEST(MainOptions, VerbosityRules) {
    struct Case { std::vector<std::string> args; int verbosity; };
    const Case cases[] = {
        {{}, 5},
        {{"--verbosity", "3", "--vverbose"}, 3},
        {{"--vverbose", "--minimal"}, 10},
        {{"-V", "-M"}, 6},
        {{"-M"}, 1},
        {{"--verbosity", "-2"}, -2},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"tarvo"};
        for (const auto& a : c.args)
            argv.push_back(a.c_str());
        const auto global = main_options();
        po::variables_map vm;
        parse_command_line(static_cast<int>(argv.size()), argv.data(), global, vm);
        EXPECT_EQ(verbosity_of(vm), c.verbosity) << c.verbosity;
    }
}
