#include "cli/commands/help_command.hpp"

#include "cli/handlers/help_handlers.hpp"

namespace cli {

HelpCommand::HelpCommand() : help_handler(std::make_shared<HelpMessageHandler>()) {}

int HelpCommand::execute(LibModules& deps) { return help_handler->Handle(noa, deps); }

void HelpCommand::resolve_args(boost::program_options::parsed_options) {}

void HelpCommand::reset() {}

}  // namespace cli
