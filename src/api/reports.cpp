#include "api/reports.hpp"

#include <exception>
#include <utility>

#include "common/console.hpp"
#include "core/reporter/testreport_csvgen.hpp"
#include "core/reporter/testreport_htmlgen.hpp"

namespace tarvo {

void TarvoReportServices::write_report(const GeneratorMaker& make) {
    try {
        std::unique_ptr<core::Generator> generator = make();
        generator->generate();
        BOOST_LOG_SEV(m_logger, debug_1) << "Report written.";
    } catch (const std::exception& e) {
        // A report is a by-product of the runs: its failure ends neither the
        // command nor the other report.
        BOOST_LOG_SEV(m_logger, error) << e.what();
        say_in_red(e.what());
    }
}

std::unique_ptr<core::Generator> TarvoGeneratorServices::html_generator(
    std::shared_ptr<History> history) {
    return std::make_unique<core::TestReportHTMLGenerator>(std::move(history));
}

std::unique_ptr<core::Generator> TarvoGeneratorServices::csv_generator(
    std::shared_ptr<History> history) {
    return std::make_unique<core::TestReportCSVGenerator>(std::move(history));
}

}  // namespace tarvo
