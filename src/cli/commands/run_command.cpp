#include "cli/commands/run_command.hpp"

#include <string>
#include <vector>

#include "cli/help_text.hpp"

namespace po = boost::program_options;

namespace cli {

void RunCommand::resolve_args(po::parsed_options parsed) {
    po::options_description desc;
    desc.add_options()
        ("help,h", "Help menu")
        ("all,a", "To run all testcases")
        ("allall,f", "To force run every testcase with no mind to port.")
        ("test,t", po::value<std::string>(), "Run a single testcase")
        ("spec,s", po::value<std::string>(), "Set a spec")
        ("group,g", po::value<std::string>(), "Set a group")
        ("id,i", po::value<int>(), "Set an id")
        ("delay,d", po::value<unsigned int>(), "Set a delay between tests")
        ("list,l", po::value<std::vector<std::string>>()->multitoken(), "Args");
    const po::variables_map vm = ArgResolver(desc)(parsed);

    run_args.help = vm.count("help") > 0;
    run_args.all = vm.count("all") > 0;
    run_args.allall = vm.count("allall") > 0;
    run_args.test = vm.count("test") ? vm["test"].as<std::string>() : std::string();
    run_args.spec = vm.count("spec") ? vm["spec"].as<std::string>() : std::string();
    run_args.group = vm.count("group") ? vm["group"].as<std::string>() : std::string();
    run_args.id = vm.count("id") ? vm["id"].as<int>() : -1;
    run_args.slow = vm.count("delay") ? static_cast<int>(vm["delay"].as<unsigned int>()) : 0;
    run_args.tests = vm.count("list") ? vm["list"].as<std::vector<std::string>>()
                                      : std::vector<std::string>();
}

int RunCommand::execute(LibModules&) {
    report_not_available("run");
    return PASS;
}

void RunCommand::reset() { run_args = RunArgs(); }

}  // namespace cli
