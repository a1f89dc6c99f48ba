#include "cli/commands/run_command.hpp"

#include <stdexcept>
#include <string>
#include <vector>

#include "cli/handlers/run_handlers.hpp"

namespace po = boost::program_options;

namespace cli {

namespace {

// The longest wait between two tests, in seconds (one hour).
constexpr long long max_delay = 3600;

// The option library would read "-1" as an unsigned number (4294967295 s):
// a delay must be a non-negative number of seconds up to an hour.
int checked_delay(long long seconds) {
    if (seconds < 0 || seconds > max_delay)
        throw std::invalid_argument("delay " + std::to_string(seconds));
    return static_cast<int>(seconds);
}

}  // namespace

RunCommand::RunCommand() {
    run_handler = std::make_shared<RunAllHandler>();
    const auto help = std::make_shared<RunHelpHandler>();
    run_handler->setHelp(help);
    run_handler->setNext(std::make_shared<RunSingleHandler>())
        ->setNext(std::make_shared<RunListHandler>())
        ->setNext(std::make_shared<RunSpecHandler>())
        ->setNext(std::make_shared<RunGroupHandler>())
        ->setNext(std::make_shared<RunIDHandler>())
        ->setNext(std::make_shared<RunAllAllHandler>())
        ->setHelp(help);
}

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
        ("delay,d", po::value<long long>(), "Set a delay between tests")
        ("list,l", po::value<std::vector<std::string>>()->multitoken(), "Args");
    const po::variables_map vm = ArgResolver(desc)(parsed);
    const int delay = vm.count("delay") ? checked_delay(vm["delay"].as<long long>()) : 0;

    run_args.help = vm.count("help") > 0;
    run_args.all = vm.count("all") > 0;
    run_args.allall = vm.count("allall") > 0;
    run_args.test = vm.count("test") ? vm["test"].as<std::string>() : std::string();
    run_args.spec = vm.count("spec") ? vm["spec"].as<std::string>() : std::string();
    run_args.group = vm.count("group") ? vm["group"].as<std::string>() : std::string();
    run_args.id = vm.count("id") ? vm["id"].as<int>() : -1;
    run_args.slow = delay;
    run_args.tests = vm.count("list") ? vm["list"].as<std::vector<std::string>>()
                                      : std::vector<std::string>();
}

int RunCommand::execute(LibModules& deps) {
    if (run_args.help)
        return run_handler->Help(run_args, deps);
    return run_handler->Handle(run_args, deps);
}

void RunCommand::reset() { run_args = RunArgs(); }

}  // namespace cli
