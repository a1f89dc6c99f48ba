#include "core/reporter/testreport_htmlgen.hpp"

#include <filesystem>
#include <sstream>
#include <utility>
#include <vector>

#include "common/utility.hpp"
#include "core/reporter/css_generation.hpp"
#include "core/reporter/html_generation.hpp"

namespace tarvo {
namespace core {

const std::string POSSIBLEPATH1 = "../share/";
const std::string POSSIBLEPATH2 = "../../share/";

namespace {

const std::string kLogo = "/CXL_Logo.png";

// The logo as the page in "report/" sees it.
std::string logo_source() {
    std::error_code ec;
    if (std::filesystem::exists(POSSIBLEPATH1 + kLogo, ec)) {
        return POSSIBLEPATH2 + kLogo;
    }
    return POSSIBLEPATH1 + kLogo;
}

std::vector<std::string> record_row(size_t order, const types::TestRecord& record) {
    return {
        std::to_string(order),
        double_to_str_w_precision(record.spec(), 1),
        html_escape(record.group()),
        std::to_string(record.id()),
        html_escape(record.name()),
        record.result().web(),  // an icon reference, or a bare state name
        html_escape(record.note()),
    };
}

}  // namespace

TestReportHTMLGenerator::TestReportHTMLGenerator(std::shared_ptr<History> history)
    : m_history(std::move(history)) {
    ensure_report_directory();
    m_writer = ReportFile::replace("report/index.html");
    m_css_writer = ReportFile::replace("report/style.css");
}

void TestReportHTMLGenerator::generate_css(std::ostream& out) {
    write_css(out, "body", {"font-family: Monospace"});
    write_css(out, "h1", {"font-size: 50px", "font-family: Monospace"});
    write_css(out, "h2", {"font-size: 20px", "font-family: Monospace"});
    write_css(out, "table", {"width: 50%"});
    write_css(out, "tr:nth-child(odd)", {"background-color: #13a9ec"});
    write_css(out, "td", {"text-align: center"});
    write_css(out, "#head img", {"height: 10%", "width: 50%", "padding: 15px"});
}

void TestReportHTMLGenerator::generate() {
    if (!m_writer.is_open() || !m_css_writer.is_open()) {
        throw ReportError("The HTML report of this generator has already been written");
    }
    std::ostringstream css;
    generate_css(css);

    std::ostringstream page;
    write_init_html(page);
    write_head(page, "style.css");
    write_charset_html(page, "UTF-8");
    write_title_html(page, "Tarvo Report");
    write_end_head_html(page);
    page << "<div id=\"head\">";
    write_img_html(page, logo_source(), "CXL Logo");
    write_h1_html(page, "Compliance Report");
    page << "</div>";

    const auto sessions = m_history ? m_history->history() : std::vector<TestSession>{};
    if (sessions.empty()) {
        write_h3_html(page, "Summary");
        write_p_html(page, "No test cases were ran during this session.");
    } else {
        using S = types::TestState;
        write_h3_html(page, "Legend");
        write_table_html(page, {"running", "passed", "skipped", "warning", "failed", "aborted"},
                         {{S(S::running).web(), S(S::passed).web(), S(S::skipped).web(),
                           S(S::warning).web(), S(S::failed).web(), S(S::aborted).web()}});
        for (size_t i = 0; i < sessions.size(); ++i) {
            write_h2_html(page, "Session: " + std::to_string(i + 1));
            std::vector<std::vector<std::string>> rows;
            const auto records = sessions[i].session();
            for (size_t r = 0; r < records.size(); ++r) {
                rows.push_back(record_row(r + 1, records[r]));
            }
            write_table_html(page, {"Order", "Specification", "Group", "ID", "Name", "Result",
                                    "Notes"},
                             rows);
        }
    }
    write_end_html(page);

    m_css_writer.write(css.str());
    m_writer.write(page.str());
    m_css_writer.close();
    m_writer.close();
}

}  // namespace core
}  // namespace tarvo
