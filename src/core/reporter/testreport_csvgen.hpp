#pragma once

#include <ctime>
#include <memory>
#include <string>

#include "core/reporter/generators.hpp"
#include "core/reporter/report_file.hpp"
#include "core/testhistory.hpp"

namespace tarvo {
namespace core {

// The CSV report: one line per record of every session of the history, in
// a file of the working directory named after the local time.
class TestReportCSVGenerator : public HTMLGenerator {
public:
    // Makes the directory "report" and creates the file; raises ReportError
    // when either cannot be made. A file of the same name that this process
    // did not write is left alone: the name gets a suffix _1, _2, ...
    explicit TestReportCSVGenerator(std::shared_ptr<History> history);

    // Writes the header and the records, then closes the file; raises
    // ReportError when it cannot be written or was written already.
    void generate() override;

    // The name of the file this generator writes.
    const std::string& file_name() const { return m_writer.path(); }

    // "report_%Y-%m-%d_%H:%M.csv" of the local time t, or "report.csv".
    static std::string file_name_at(std::time_t t);

private:
    std::shared_ptr<History> m_history;
    ReportFile m_writer;
};

}  // namespace core
}  // namespace tarvo
