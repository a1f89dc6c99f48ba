#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"
#include "cli/handlers/handler.hpp"
#include "cli/utility.hpp"
#include "unit/cli/test_support.hpp"

namespace po = boost::program_options;
using namespace cli;
using testsupport::Capture;
using testsupport::not_possible;

namespace {

// Acts when the record's test names it; notes every record it sees.
class NamedHandler : public AbstractHandler<RunArgs> {
public:
    NamedHandler(std::string name, std::vector<std::string>& seen)
        : m_name(std::move(name)), m_seen(seen) {}
    HandleStatus Handle(RunArgs request, LibModules& deps) override {
        m_seen.push_back(m_name);
        if (request.test == m_name)
            return PASS;
        return AbstractHandler<RunArgs>::Handle(request, deps);
    }

private:
    std::string m_name;
    std::vector<std::string>& m_seen;
};

class CountingHelp : public HelpHandler<RunArgs> {
public:
    explicit CountingHelp(std::vector<std::string>& seen) : m_seen(seen) {}
    HandleStatus Handle(RunArgs request, LibModules& deps) override {
        m_seen.push_back("help");
        if (!request.help)
            HelpHandler<RunArgs>::Handle(request, deps);
        return request.help ? PASS : INVALID_INPUT;
    }

private:
    std::vector<std::string>& m_seen;
};

// Three links and a help handler, attached as every command does it.
struct Chain {
    std::vector<std::string> seen;
    std::shared_ptr<NamedHandler> head = std::make_shared<NamedHandler>("a", seen);
    std::shared_ptr<Handler<RunArgs>> help = std::make_shared<CountingHelp>(seen);

    Chain() {
        head->setHelp(help);
        auto last = head->setNext(std::make_shared<NamedHandler>("b", seen))
                        ->setNext(std::make_shared<NamedHandler>("c", seen));
        last->setHelp(help);
    }
};

po::parsed_options parse_line(const std::vector<std::string>& words,
                              const po::options_description& table) {
    po::positional_options_description pos;
    pos.add("command", 1).add("subargs", -1);
    return po::command_line_parser(words).options(table).positional(pos).allow_unregistered().run();
}

po::options_description line_table() {
    po::options_description table;
    table.add_options()("command", po::value<std::string>(), "")(
        "subargs", po::value<std::vector<std::string>>(), "");
    return table;
}

}  // namespace

TEST(HandlerChain, SetNextReturnsItsArgumentAndSetHelpAlsoLinksIt) {
    std::vector<std::string> seen;
    auto a = std::make_shared<NamedHandler>("a", seen);
    auto b = std::make_shared<NamedHandler>("b", seen);
    EXPECT_EQ(a->setNext(b), b);
    auto help = std::make_shared<CountingHelp>(seen);
    EXPECT_EQ(b->setHelp(help), help);

    LibModules deps;
    RunArgs nobody;
    nobody.help = true;
    Capture out;
    EXPECT_EQ(a->Handle(nobody, deps), PASS);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "help"}));
    EXPECT_EQ(out.text(), "");
}

TEST(HandlerChain, RecordsEndAtTheLinkThatActsOrAtTheHelpHandler) {
    struct Case { std::string test; bool help; bool via_help; std::vector<std::string> seen;
                  HandleStatus status; std::string output; };
    const Case cases[] = {
        {"a", false, false, {"a"}, PASS, ""},
        {"c", false, false, {"a", "b", "c"}, PASS, ""},
        {"x", false, false, {"a", "b", "c", "help"}, INVALID_INPUT, not_possible},
        // The head's Help goes straight to the help handler's Handle.
        {"a", true, true, {"help"}, PASS, ""},
    };
    for (const auto& c : cases) {
        Chain chain;
        LibModules deps;
        RunArgs request;
        request.test = c.test;
        request.help = c.help;
        Capture out;
        const HandleStatus status =
            c.via_help ? chain.head->Help(request, deps) : chain.head->Handle(request, deps);
        EXPECT_EQ(status, c.status) << c.test;
        EXPECT_EQ(chain.seen, c.seen) << c.test;
        EXPECT_EQ(out.text(), c.output) << c.test;
    }
}

TEST(HandlerChain, LinkWithoutHelpHandlerHelpsSilently) {
    std::vector<std::string> seen;
    NamedHandler alone("a", seen);
    LibModules deps;
    Capture out;
    EXPECT_EQ(alone.Help(RunArgs(), deps), PASS);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(out.text(), "");
}

TEST(ArgResolver, ParsesTheTokensAfterTheCommandWord) {
    po::options_description own;
    own.add_options()("all,a", "")("test,t", po::value<std::string>(), "");
    const auto table = line_table();

    // Free tokens are ignored; the command word is dropped.
    auto vm = ArgResolver(own)(parse_line({"run", "5", "-a", "-t", "2/CFG/4", "x"}, table));
    EXPECT_EQ(vm.count("all"), 1u);
    EXPECT_EQ(vm["test"].as<std::string>(), "2/CFG/4");

    vm = ArgResolver(own)(parse_line({"run"}, table));
    EXPECT_TRUE(vm.empty());

    EXPECT_THROW(ArgResolver{own}(parse_line({"run", "--bogus"}, table)), po::unknown_option);
    // A prefix of a long name is taken as that option.
    vm = ArgResolver(own)(parse_line({"run", "--te", "1"}, table));
    EXPECT_EQ(vm["test"].as<std::string>(), "1");
}

TEST(Tokenize, SplitsAtBlanksOnly) {
    struct Case { std::string line; std::vector<std::string> words; };
    const Case cases[] = {
        {"  run   -t 2/CFG/4 ", {"run", "-t", "2/CFG/4"}},
        {"", {}},
        {"    ", {}},
        {"a\tb c", {"a\tb", "c"}},
        {"help", {"help"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tokenize(c.line), c.words) << '"' << c.line << '"';
}
