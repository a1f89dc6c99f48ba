#pragma once

#include "services/generatorservices.hpp"
#include "services/reportservices.hpp"

namespace tarvo {

// Writes "report/index.html" and "report/style.css".
class TarvoReportServices : public ReportServices {
public:
    void write_html_report(std::shared_ptr<History> history) override;
};

// Writes "report_<date>_<time>.csv" in the working directory.
class TarvoGeneratorServices : public GeneratorServices {
public:
    void write_csv_report(std::shared_ptr<History> history) override;
};

}  // namespace tarvo
