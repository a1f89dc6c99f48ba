#pragma once

#include <memory>

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// Shows and selects the device under test.
class DeviceCommand : public Command {
public:
    DeviceCommand();

    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

    const DeviceArgs& args() const { return device_args; }

private:
    DeviceArgs device_args;
    std::shared_ptr<AbstractHandler<DeviceArgs>> device_handler;
};

}  // namespace cli
