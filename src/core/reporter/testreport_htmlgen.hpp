#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "core/reporter/generators.hpp"
#include "core/reporter/report_file.hpp"
#include "core/testhistory.hpp"

namespace tarvo {
namespace core {

// Where the logo "CXL_Logo.png" may lie, seen from the working directory
// and from the report directory.
extern const std::string POSSIBLEPATH1;
extern const std::string POSSIBLEPATH2;

// The HTML report: "report/index.html" and "report/style.css" in the working
// directory, from every session of the history.
class TestReportHTMLGenerator : public HTMLGenerator {
public:
    // Makes the directory "report" and opens (empties) both files; raises
    // ReportError when either cannot be made.
    explicit TestReportHTMLGenerator(std::shared_ptr<History> history);

    // Writes the style sheet and the page, then closes both; raises
    // ReportError when they cannot be written or were written already.
    void generate() override;

private:
    void generate_css(std::ostream& out);

    std::shared_ptr<History> m_history;
    ReportFile m_writer;
    ReportFile m_css_writer;
};

}  // namespace core
}  // namespace tarvo
