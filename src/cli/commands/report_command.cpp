#include "cli/commands/report_command.hpp"

#include <iostream>
#include <utility>

#include "cli/handlers/report_handlers.hpp"

namespace cli {

ReportCommand::ReportCommand()
    : ReportCommand("Report generated in ./report/",
                    std::make_shared<ReportGenHandler>(ReportGenHandler::html_and_csv)) {}

ReportCommand::ReportCommand(std::string message,
                             std::shared_ptr<AbstractHandler<ReportArgs>> handler)
    : report_handler(std::move(handler)), m_message(std::move(message)) {}

CSVReportCommand::CSVReportCommand()
    : ReportCommand("CSV Report generated",
                    std::make_shared<ReportGenHandler>(ReportGenHandler::csv_only)) {}

void ReportCommand::resolve_args(boost::program_options::parsed_options) {}

// The message comes first, whatever the reports' outcome.
int ReportCommand::execute(LibModules& deps) {
    std::cout << m_message << std::endl;
    return report_handler->Handle(report_args, deps);
}

void ReportCommand::reset() { report_args = ReportArgs(); }

}  // namespace cli
