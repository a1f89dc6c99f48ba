#include "cli/commands/report_command.hpp"

#include "cli/help_text.hpp"

namespace cli {

void ReportCommand::resolve_args(boost::program_options::parsed_options) {}

int ReportCommand::execute(LibModules&) {
    report_not_available(m_name);
    return PASS;
}

void ReportCommand::reset() { report_args = ReportArgs(); }

}  // namespace cli
