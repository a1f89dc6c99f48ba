#include "cli/handlers/help_handlers.hpp"

#include <iostream>

#include "cli/help_text.hpp"

namespace cli {

HandleStatus HelpMessageHandler::Handle(NoArgs, LibModules&) {
    std::cout << overview_text() << "\n";
    return PASS;
}

}  // namespace cli
