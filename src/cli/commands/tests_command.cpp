#include "cli/commands/tests_command.hpp"

#include <string>

#include "cli/handlers/tests_handlers.hpp"

namespace po = boost::program_options;

namespace cli {

TestsCommand::TestsCommand() {
    tests_handler = std::make_shared<TestsShowHandler>();
    tests_handler->setNext(std::make_shared<TestsShowSortedHandler>());
}

void TestsCommand::resolve_args(po::parsed_options parsed) {
    po::options_description desc;
    desc.add_options()
        ("help,h", "Help menu")
        ("sort", po::value<std::string>(), "To sort the list based on either [group],[id]");
    const po::variables_map vm = ArgResolver(desc)(parsed);

    tests_args.help = vm.count("help") > 0;
    if (vm.count("sort"))
        tests_args.sort = vm["sort"].as<std::string>();
}

int TestsCommand::execute(LibModules& deps) {
    if (tests_args.help)
        return tests_handler->Help(tests_args, deps);
    return tests_handler->Handle(tests_args, deps);
}

void TestsCommand::reset() { tests_args = TestsArgs(); }

}  // namespace cli
