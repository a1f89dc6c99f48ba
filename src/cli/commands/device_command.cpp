#include "cli/commands/device_command.hpp"

#include <string>

#include "cli/help_text.hpp"

namespace po = boost::program_options;

namespace cli {

void DeviceCommand::resolve_args(po::parsed_options parsed) {
    po::options_description desc;
    desc.add_options()
        ("help,h", "Help menu")
        ("sut,s", "Show current SUT")
        ("list,l", "Show the current device list")
        ("set", po::value<std::string>(), "To set current SUT.");
    const po::variables_map vm = ArgResolver(desc)(parsed);

    device_args.help = vm.count("help") > 0;
    device_args.showSut = vm.count("sut") > 0;
    device_args.showList = vm.count("list") > 0;
    if (vm.count("set"))
        device_args.setSut = vm["set"].as<std::string>();
}

int DeviceCommand::execute(LibModules&) {
    report_not_available("devices");
    return PASS;
}

void DeviceCommand::reset() { device_args = DeviceArgs(); }

}  // namespace cli
