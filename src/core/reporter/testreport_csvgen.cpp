#include "core/reporter/testreport_csvgen.hpp"

#include <set>
#include <sstream>
#include <utility>
#include <vector>

namespace tarvo {
namespace core {

namespace {

// Names tried after the first: report_..._1.csv up to this suffix.
constexpr int kMaxSuffix = 999;

// The files (device, inode) this process has written, which a later report
// of the same name may overwrite.
std::set<std::pair<dev_t, ino_t>>& written_files() {
    static std::set<std::pair<dev_t, ino_t>> files;
    return files;
}

std::string with_suffix(const std::string& name, int n) {
    if (n == 0) {
        return name;
    }
    const std::string ext = ".csv";
    std::string stem = name.substr(0, name.size() - ext.size());
    return stem + "_" + std::to_string(n) + ext;
}

// A field quoted when it holds a separator, a quote or a line break.
std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string record_line(const types::TestRecord& record) {
    std::ostringstream id;
    id << record.spec() << '/' << record.group() << '/' << record.id();
    std::ostringstream state;
    state << record.result();
    return csv_field(record.name()) + "," + csv_field(id.str()) + "," + csv_field(state.str()) +
           "\n";
}

}  // namespace

std::string TestReportCSVGenerator::file_name_at(std::time_t t) {
    std::tm local{};
    char buf[128];
    if (localtime_r(&t, &local) == nullptr) {
        return "report.csv";
    }
    size_t n = std::strftime(buf, sizeof(buf), "report_%Y-%m-%d_%H:%M.csv", &local);
    return n == 0 ? "report.csv" : std::string(buf, n);
}

TestReportCSVGenerator::TestReportCSVGenerator(std::shared_ptr<History> history)
    : m_history(std::move(history)) {
    const std::string name = file_name_at(std::time(nullptr));
    ensure_report_directory();
    auto ours = [](dev_t dev, ino_t ino) { return written_files().count({dev, ino}) > 0; };
    for (int n = 0; n <= kMaxSuffix && !m_writer.is_open(); ++n) {
        m_writer = ReportFile::claim(with_suffix(name, n), ours);
    }
    if (!m_writer.is_open()) {
        throw ReportError("Cannot write the CSV report: every name from " + name + " to " +
                          with_suffix(name, kMaxSuffix) + " is taken");
    }
    written_files().insert({m_writer.device(), m_writer.inode()});
}

void TestReportCSVGenerator::generate() {
    if (!m_writer.is_open()) {
        throw ReportError("The CSV report of this generator has already been written");
    }
    std::string text = "Description, Test ID, Result\n";
    const auto sessions = m_history ? m_history->history() : std::vector<TestSession>{};
    for (const auto& session : sessions) {
        for (const auto& record : session.session()) {
            text += record_line(record);
        }
    }
    m_writer.write(text);
    m_writer.close();
}

}  // namespace core
}  // namespace tarvo
