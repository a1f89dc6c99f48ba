#pragma once

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"

namespace cli {

// Selects test cases and has them run on the device under test.
class RunCommand : public Command {
public:
    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

    const RunArgs& args() const { return run_args; }

private:
    RunArgs run_args;
};

}  // namespace cli
