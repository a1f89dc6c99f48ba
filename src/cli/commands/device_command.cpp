#include "cli/commands/device_command.hpp"

#include <string>

#include "cli/handlers/device_handlers.hpp"

namespace po = boost::program_options;

namespace cli {

// --sut and --set are taken by the head, --list by the last link; a record
// that none of them takes ends at the help handler.
DeviceCommand::DeviceCommand() {
    device_handler = std::make_shared<DeviceShowSutHandler>();
    const auto help = std::make_shared<DeviceHelpHandler>();
    device_handler->setHelp(help);
    device_handler->setNext(std::make_shared<DeviceSelectSutHandler>())
        ->setNext(std::make_shared<DeviceShowListHandler>())
        ->setHelp(help);
}

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

int DeviceCommand::execute(LibModules& deps) {
    if (device_args.help)
        return device_handler->Help(device_args, deps);
    return device_handler->Handle(device_args, deps);
}

void DeviceCommand::reset() { device_args = DeviceArgs(); }

}  // namespace cli
