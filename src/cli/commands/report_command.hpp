#pragma once

#include <string>
#include <utility>

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"

namespace cli {

// Writes a report of this process's test runs; takes no options, so
// whatever follows the command word is ignored.
class ReportCommand : public Command {
public:
    ReportCommand() : ReportCommand("report") {}
    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

protected:
    explicit ReportCommand(std::string name) : m_name(std::move(name)) {}

private:
    ReportArgs report_args;
    std::string m_name;
};

// The same report, under its own name.
class CSVReportCommand : public ReportCommand {
public:
    CSVReportCommand() : ReportCommand("csv_report") {}
};

}  // namespace cli
