#pragma once

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"

namespace cli {

// Shows and selects the device under test.
class DeviceCommand : public Command {
public:
    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

    const DeviceArgs& args() const { return device_args; }

private:
    DeviceArgs device_args;
};

}  // namespace cli
