#pragma once

#include <memory>

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// Prints the overview of the commands; whatever follows the word is ignored.
class HelpCommand : public Command {
public:
    HelpCommand();
    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

private:
    NoArgs noa;
    std::shared_ptr<AbstractHandler<NoArgs>> help_handler;
};

}  // namespace cli
