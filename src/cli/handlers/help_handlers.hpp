#pragma once

#include "cli/command_args.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

class HelpMessageHandler : public AbstractHandler<NoArgs> {
public:
    HandleStatus Handle(NoArgs request, LibModules& deps) override;
};

}  // namespace cli
