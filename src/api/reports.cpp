#include "api/reports.hpp"

#include "api/unavailable.hpp"

namespace tarvo {

void TarvoReportServices::write_html_report(std::shared_ptr<History>) {
    say_not_available("HTML report");
}

void TarvoGeneratorServices::write_csv_report(std::shared_ptr<History>) {
    say_not_available("CSV report");
}

}  // namespace tarvo
