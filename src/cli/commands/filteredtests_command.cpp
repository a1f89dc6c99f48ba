#include "cli/commands/filteredtests_command.hpp"

#include <string>

#include "cli/handlers/ftests_handlers.hpp"

namespace po = boost::program_options;

namespace cli {

FilteredTestsCommand::FilteredTestsCommand() {
    ftests_handler = std::make_shared<FilterSpecHandler>();
    const auto help = std::make_shared<FilteredTestsHelpHandler>();
    ftests_handler->setHelp(help);
    ftests_handler->setNext(std::make_shared<FilterGroupHandler>())
        ->setNext(std::make_shared<FilterIDHandler>())
        ->setNext(std::make_shared<FilterGroupIDHandler>())
        ->setNext(std::make_shared<FilterSpecGroupHandler>())
        ->setNext(std::make_shared<FilterSpecIDHandler>())
        ->setHelp(help);
}

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

int FilteredTestsCommand::execute(LibModules& deps) {
    if (ftests_args.help)
        return ftests_handler->Help(ftests_args, deps);
    return ftests_handler->Handle(ftests_args, deps);
}

void FilteredTestsCommand::reset() { ftests_args = FTestsArgs(); }

}  // namespace cli
