#include "cli/commands/csv_report_command.hpp"

#include "cli/help_text.hpp"

namespace cli {

void CSVReportCommand::resolve_args(boost::program_options::parsed_options) {}

int CSVReportCommand::execute(LibModules&) {
    report_not_available("csv_report");
    return PASS;
}

void CSVReportCommand::reset() { report_args = ReportArgs(); }

}  // namespace cli
