#pragma once

#include <memory>

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// Lists the catalogue entries that match a spec, group or number.
class FilteredTestsCommand : public Command {
public:
    FilteredTestsCommand();

    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

    const FTestsArgs& args() const { return ftests_args; }

private:
    FTestsArgs ftests_args;
    std::shared_ptr<AbstractHandler<FTestsArgs>> ftests_handler;
};

}  // namespace cli
