#pragma once

#include <memory>

#include "api/utility.hpp"
#include "services/generatorservices.hpp"
#include "services/historyservices.hpp"
#include "services/reportservices.hpp"

namespace tarvo {

class TarvoUtility : public Utility {
public:
    TarvoUtility(std::shared_ptr<ReportServices> reports,
                 std::shared_ptr<HistoryServices> history,
                 std::shared_ptr<GeneratorServices> generators);

    void make_html_test_report() override;
    void make_csv_test_report() override;

private:
    std::shared_ptr<ReportServices> m_reports;
    std::shared_ptr<HistoryServices> m_history;
    std::shared_ptr<GeneratorServices> m_generators;
};

}  // namespace tarvo
