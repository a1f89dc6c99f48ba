#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "core/reporter/testreport_csvgen.hpp"
#include "core/reporter/testreport_htmlgen.hpp"
#include "core/testhistory.hpp"
#include "unit/model/utc_zone.hpp"

namespace fs = std::filesystem;
using namespace tarvo;
using tarvo::core::ReportError;
using tarvo::core::TestReportCSVGenerator;
using tarvo::core::TestReportHTMLGenerator;
using tarvo::types::TestData;
using tarvo::types::TestRecord;
using tarvo::types::TestState;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string fixture(const std::string& name) {
    return slurp(fs::path(TARVO_FIXTURE_DIR) / "reports" / name);
}

TestRecord record(float spec, const std::string& group, int id, const std::string& name,
                  TestState::state s, const std::string& note) {
    return TestRecord(TestData("", "", spec, group, id, "1", name, "", "", true, {}),
                      TestState(s), note);
}

// Two sessions with notes and names that need escaping and states without
// an icon or a name.
void add_two_sessions(History& h) {
    h.add_session(core::TestSession({
        record(2, "CFG", 4, "Cfg4", TestState::passed, "ok"),
        record(1.1f, "CFG", 2, "Cfg 1.1 #2", TestState::failed,
               "Fail to read <DVSEC> & \"lock\""),
    }));
    h.add_session(core::TestSession({
        record(2, "MMR", 1, "Mmr, one", TestState::finished_not_supported, ""),
        record(2, "CFG", 9, "Cfg \"9\"", TestState::pickled, "multi\nline"),
        record(2, "RST", 7, "Rst7", TestState::skipped, "skipped"),
    }));
}

// Runs each test in a fresh working directory <tmp>/work, beside <tmp>/share.
class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_old = fs::current_path();
        m_root = fs::temp_directory_path() /
                 ("tarvo_reports_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "work");
        fs::current_path(m_root / "work");
        m_history = std::make_shared<TestHistory>();
    }
    void TearDown() override {
        fs::current_path(m_old);
        fs::remove_all(m_root);
    }

    // Makes a CSV generator whose name is the one expected for this minute,
    // preparing the name first; retries when the minute turns meanwhile.
    template <typename Prepare>
    std::unique_ptr<TestReportCSVGenerator> csv_at_this_minute(Prepare prepare,
                                                               std::string& name) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            name = TestReportCSVGenerator::file_name_at(std::time(nullptr));
            prepare(name);
            auto gen = std::make_unique<TestReportCSVGenerator>(m_history);
            if (TestReportCSVGenerator::file_name_at(std::time(nullptr)) == name) {
                return gen;
            }
        }
        ADD_FAILURE() << "the clock kept turning the minute";
        return nullptr;
    }

    fs::path m_old;
    fs::path m_root;
    std::shared_ptr<TestHistory> m_history;
};

}  // namespace

TEST_F(ReportTest, EmptyHistory) {
    mode_t old_mask = umask(022);
    TestReportHTMLGenerator html(m_history);
    umask(old_mask);
    // The directory keeps the default permissions.
    EXPECT_EQ(fs::status("report").permissions(),
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                  fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(slurp("report/index.html"), "");  // made empty on construction
    html.generate();
    EXPECT_EQ(slurp("report/index.html"), fixture("empty_history.html"));
    EXPECT_EQ(slurp("report/style.css"), fixture("style.css"));
    EXPECT_THROW(html.generate(), ReportError);

    TestReportCSVGenerator csv(m_history);
    EXPECT_TRUE(std::regex_match(csv.file_name(),
                                 std::regex(R"(report_\d{4}-\d\d-\d\d_\d\d:\d\d\.csv)")));
    csv.generate();
    EXPECT_EQ(slurp(csv.file_name()), fixture("empty_history.csv"));
    EXPECT_FALSE(fs::exists("report/" + csv.file_name()));
}

TEST_F(ReportTest, SessionsInOrderWithEscapingAndTheLogo) {
    fs::create_directories(m_root / "share");
    std::ofstream(m_root / "share" / "CXL_Logo.png").put('x');

    TestReportHTMLGenerator(m_history).generate();
    EXPECT_NE(slurp("report/index.html").find("../../share//CXL_Logo.png"), std::string::npos);

    // A later generator truncates and rewrites both files.
    add_two_sessions(*m_history);
    TestReportHTMLGenerator html(m_history);
    html.generate();
    EXPECT_EQ(slurp("report/index.html"), fixture("two_sessions.html"));
    EXPECT_EQ(slurp("report/style.css"), fixture("style.css"));

    TestReportCSVGenerator csv(m_history);
    csv.generate();
    EXPECT_EQ(slurp(csv.file_name()), fixture("two_sessions.csv"));
}

TEST_F(ReportTest, CsvNamesFromLocalTime) {
    UtcZone utc;
    EXPECT_EQ(TestReportCSVGenerator::file_name_at(1796807100), "report_2026-12-09_09:05.csv");
    EXPECT_EQ(TestReportCSVGenerator::file_name_at(0), "report_1970-01-01_00:00.csv");
}

TEST_F(ReportTest, CsvNeverOverwritesFilesItDidNotWrite) {
    std::string name;
    // A foreign file and a symbolic link keep their contents; the report
    // takes the next free suffix.
    auto gen = csv_at_this_minute(
        [](const std::string& n) {
            std::ofstream(n) << "theirs\n";
            std::string stem = n.substr(0, n.size() - 4);
            std::ofstream("target") << "target\n";
            fs::create_symlink("target", stem + "_1.csv");
        },
        name);
    ASSERT_TRUE(gen);
    std::string stem = name.substr(0, name.size() - 4);
    EXPECT_EQ(gen->file_name(), stem + "_2.csv");
    gen->generate();
    EXPECT_EQ(slurp(name), "theirs\n");
    EXPECT_EQ(slurp("target"), "target\n");
    EXPECT_EQ(slurp(stem + "_2.csv"), fixture("empty_history.csv"));

    // A file this process wrote is overwritten by the next report of its name.
    add_two_sessions(*m_history);
    auto again = csv_at_this_minute([](const std::string&) {}, name);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->file_name(), stem + "_2.csv");
    again->generate();
    EXPECT_EQ(slurp(stem + "_2.csv"), fixture("two_sessions.csv"));
    EXPECT_EQ(slurp(name), "theirs\n");
}

TEST_F(ReportTest, RefusesSymbolicLinksAndOtherFiles) {
    auto reason = [](auto make) -> std::string {
        try {
            make();
        } catch (const ReportError& e) {
            return e.what();
        }
        return "no error";
    };
    auto html = [this] { TestReportHTMLGenerator g(m_history); g.generate(); };
    auto csv = [this] { TestReportCSVGenerator g(m_history); g.generate(); };

    std::ofstream("outside") << "keep\n";
    fs::create_directory("report");
    fs::create_symlink("../outside", "report/index.html");
    EXPECT_EQ(reason(html),
              "Cannot write the report file \"report/index.html\": it is a symbolic link");
    EXPECT_EQ(slurp("outside"), "keep\n");

    fs::remove("report/index.html");
    ASSERT_EQ(mkfifo("report/style.css", 0600), 0);
    EXPECT_EQ(reason(html).rfind("Cannot write the report file \"report/style.css\": ", 0), 0u);

    fs::remove_all("report");
    fs::create_directory("elsewhere");
    fs::create_directory_symlink("elsewhere", "report");
    EXPECT_EQ(reason(html),
              "Cannot create the report directory \"report\": it is a symbolic link");
    EXPECT_TRUE(fs::is_empty("elsewhere"));

    fs::remove("report");
    std::ofstream("report") << "a file\n";
    EXPECT_EQ(reason(html).rfind("Cannot create the report directory \"report\": ", 0), 0u);
    EXPECT_EQ(reason(csv).rfind("Cannot create the report directory \"report\": ", 0), 0u);
    EXPECT_EQ(slurp("report"), "a file\n");
}

TEST(ShippedLogo, ThePageOfAProgramInTheBuildTreeFindsARealImage) {
    // Where a report written in the program's own folder looks for the logo
    // (the install tree has the same layout).
    const fs::path logo =
        fs::path(TARVO_BINARY).parent_path() / core::POSSIBLEPATH1 / "CXL_Logo.png";
    ASSERT_TRUE(fs::is_regular_file(logo)) << logo;
    const std::string png = slurp(logo);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 16), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    auto big_endian = [&png](size_t at) {
        uint32_t v = 0;
        for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(png[at + i]);
        return v;
    };
    EXPECT_GT(big_endian(16), 0u);  // width
    EXPECT_GT(big_endian(20), 0u);  // height
}
