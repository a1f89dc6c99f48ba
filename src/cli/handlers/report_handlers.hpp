#pragma once

#include "cli/command_args.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// Has the Utility facade write the reports of this process's runs.
class ReportGenHandler : public AbstractHandler<ReportArgs> {
public:
    enum Reports {
        csv_only,      // the CSV report
        html_and_csv,  // the HTML report in ./report/, then the CSV report
    };

    explicit ReportGenHandler(Reports reports) : m_reports(reports) {}

    HandleStatus Handle(ReportArgs request, LibModules& deps) override;

private:
    Reports m_reports;
};

}  // namespace cli
