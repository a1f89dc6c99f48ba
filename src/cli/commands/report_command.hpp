#pragma once

#include <memory>
#include <string>

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// Writes the HTML report into ./report/ and the CSV report of this process's
// test runs. It takes no options: whatever follows the command word is
// ignored.
class ReportCommand : public Command {
public:
    ReportCommand();
    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

protected:
    // A report command that first writes `message` and then runs `handler`.
    ReportCommand(std::string message, std::shared_ptr<AbstractHandler<ReportArgs>> handler);

private:
    ReportArgs report_args;
    std::shared_ptr<AbstractHandler<ReportArgs>> report_handler;
    std::string m_message;
};

// Writes the CSV report only.
class CSVReportCommand : public ReportCommand {
public:
    CSVReportCommand();
};

}  // namespace cli
