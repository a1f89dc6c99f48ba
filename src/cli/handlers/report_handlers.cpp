#include "cli/handlers/report_handlers.hpp"

#include <iostream>

namespace cli {

HandleStatus ReportGenHandler::Handle(ReportArgs, LibModules& deps) {
    std::cout << "Report Handler" << std::endl;
    if (m_reports == html_and_csv)
        deps.utility_module->make_html_test_report();
    deps.utility_module->make_csv_test_report();
    return PASS;
}

}  // namespace cli
