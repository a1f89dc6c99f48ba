#pragma once

#include <memory>

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// Selects test cases and has them run on the device under test.
class RunCommand : public Command {
public:
    RunCommand();

    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

    const RunArgs& args() const { return run_args; }

private:
    RunArgs run_args;
    std::shared_ptr<AbstractHandler<RunArgs>> run_handler;
};

}  // namespace cli
