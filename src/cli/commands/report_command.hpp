#pragma once

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"

namespace cli {

// Writes a report of this process's test runs; takes no options.
class ReportCommand : public Command {
public:
    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

    const ReportArgs& args() const { return report_args; }

private:
    ReportArgs report_args;
};

}  // namespace cli
