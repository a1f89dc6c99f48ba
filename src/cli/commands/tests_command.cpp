#include "cli/commands/tests_command.hpp"

#include <string>

#include "cli/help_text.hpp"

namespace po = boost::program_options;

namespace cli {

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

int TestsCommand::execute(LibModules&) {
    report_not_available("tests");
    return PASS;
}

void TestsCommand::reset() { tests_args = TestsArgs(); }

}  // namespace cli
