#include "cli/commands/filteredtests_command.hpp"

#include <string>

#include "cli/help_text.hpp"

namespace po = boost::program_options;

namespace cli {

void FilteredTestsCommand::resolve_args(po::parsed_options parsed) {
    po::options_description desc;
    desc.add_options()
        ("help,h", "Help menu")
        ("spec,s", po::value<double>(), "To prune by spec")
        ("group,g", po::value<std::string>(), "To prune by group")
        ("id,i", po::value<int>(), "To prune by ID");
    const po::variables_map vm = ArgResolver(desc)(parsed);

    ftests_args.help = vm.count("help") > 0;
    if (vm.count("spec"))
        ftests_args.spec = vm["spec"].as<double>();
    if (vm.count("group"))
        ftests_args.group = vm["group"].as<std::string>();
    if (vm.count("id"))
        ftests_args.id = vm["id"].as<int>();
}

int FilteredTestsCommand::execute(LibModules&) {
    report_not_available("ftests");
    return PASS;
}

void FilteredTestsCommand::reset() { ftests_args = FTestsArgs(); }

}  // namespace cli
