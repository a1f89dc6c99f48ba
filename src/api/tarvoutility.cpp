#include "api/tarvoutility.hpp"

#include <utility>

namespace tarvo {

TarvoUtility::TarvoUtility(std::shared_ptr<ReportServices> reports,
                           std::shared_ptr<HistoryServices> history,
                           std::shared_ptr<GeneratorServices> generators)
    : m_reports(std::move(reports)),
      m_history(std::move(history)),
      m_generators(std::move(generators)) {}

void TarvoUtility::make_html_test_report() {
    m_reports->write_report([this] { return m_generators->html_generator(m_history->history()); });
}

void TarvoUtility::make_csv_test_report() {
    m_reports->write_report([this] { return m_generators->csv_generator(m_history->history()); });
}

}  // namespace tarvo
