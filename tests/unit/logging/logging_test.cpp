#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <boost/log/core.hpp>
#include <boost/log/sources/logger.hpp>
#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include "cli/log_formats.hpp"
#include "common/logging.hpp"
#include "unit/cli/test_support.hpp"

using testsupport::Capture;
using testsupport::lines_of;
using testsupport::TempDir;

namespace {

// Every test starts and ends with a bare logging core.
class LoggingTest : public ::testing::Test {
protected:
    void SetUp() override {
        boost::log::core::get()->remove_all_sinks();
        Logging::add_common_attributes();
        Logging::add_filter(11);
    }
    void TearDown() override {
        boost::log::core::get()->remove_all_sinks();
        boost::log::core::get()->reset_filter();
    }

    void log(severity_level level, const std::string& text) {
        BOOST_LOG_SEV(m_logger, level) << text;
    }

    Logger_t m_logger;
};

const std::string ESC = "\x1b";

std::time_t local_time(int hour, int minute, int second) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

boost::property_tree::ptree parse_json(const std::string& text) {
    std::istringstream in(text);
    boost::property_tree::ptree tree;
    boost::property_tree::read_json(in, tree);
    return tree;
}

std::vector<std::string> messages_of(const boost::property_tree::ptree& array) {
    std::vector<std::string> out;
    for (const auto& record : array)
        out.push_back(record.second.get<std::string>("message"));
    return out;
}

}  // namespace

TEST_F(LoggingTest, FilterPassesSeveritiesUpToTheVerbosity) {
    struct Case { int verbosity; std::string shown; };
    // One letter per severity 0..11 that reached the sink.
    const Case cases[] = {
        {5, "abcdef"}, {11, "abcdefghijkl"}, {12, "abcdefghijkl"}, {0, "a"}, {-1, ""}, {7, "abcdefgh"},
    };
    for (const auto& c : cases) {
        boost::log::core::get()->remove_all_sinks();
        Logging::add_filter(c.verbosity);
        std::ostringstream out;
        Logging::start_stream_sink(out);
        for (uint32_t level = 0; level < severity_count; ++level)
            log(static_cast<severity_level>(level), std::string(1, char('a' + level)));
        std::string shown;
        for (const auto& line : lines_of(out.str()))
            shown += line.back();
        EXPECT_EQ(shown, c.shown) << "verbosity " << c.verbosity;
    }
}

TEST_F(LoggingTest, RecordsWithoutSeverityAreDropped) {
    std::ostringstream out;
    Logging::start_stream_sink(out);
    boost::log::sources::logger plain;
    BOOST_LOG(plain) << "no severity";
    EXPECT_EQ(out.str(), "");
}

TEST_F(LoggingTest, StreamSinkFormat) {
    std::ostringstream out;
    Logging::start_stream_sink(out);
    log(warning, "hello");
    log(info, "ends with newline\n");
    EXPECT_TRUE(std::regex_match(
        out.str(), std::regex("\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] \\[WARN\\] : hello\n"
                              "\\[[^\\]]+\\] \\[INFO\\] : ends with newline\n")))
        << out.str();
}

TEST_F(LoggingTest, UnknownSeverityPrintsNoName) {
    Logging::add_filter(20);
    std::ostringstream out;
    Logging::start_stream_sink(out);
    log(static_cast<severity_level>(12), "odd");
    EXPECT_TRUE(std::regex_match(out.str(), std::regex("\\[[^\\]]+\\] \\[\\] : odd\n"))) << out.str();
}

TEST_F(LoggingTest, ConsoleRecordsColourTheSeverityName) {
    struct Case { severity_level level; std::string name; std::string colour; };
    const Case cases[] = {
        {pass, "PASS", ESC + "[1;37;42m"}, {fail, "FAIL", ESC + "[1;37;41m"},
        {info, "INFO", ""},                {finished, "ENDED", ESC + "[32m"},
        {start_test, "START", ESC + "[33m"}, {warning, "WARN", ESC + "[32m"},
        {error, "ERROR", ESC + "[1;37;41m"}, {debug_1, "DEBUG 1", ""},
        {debug_4, "DEBUG 4", ""},          {tracer, "TRACE", ""},
    };
    for (const bool colored : {true, false}) {
        boost::log::core::get()->remove_all_sinks();
        std::string text;
        {
            Capture out;
            Logging::start_console_sink(colored);
            for (const auto& c : cases)
                log(c.level, "msg " + c.name);
            log(info, "own newline\n");
            boost::log::core::get()->flush();
            text = out.text();
            boost::log::core::get()->remove_all_sinks();
        }
        const auto lines = lines_of(text);
        ASSERT_EQ(lines.size(), std::size(cases) + 1) << text;
        const std::regex time("^\\[\\d\\d:\\d\\d:\\d\\d\\]");
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const auto& c = cases[i];
            ASSERT_TRUE(std::regex_search(lines[i], time)) << lines[i];
            const std::string expected =
                colored ? "[" + c.colour + c.name + ESC + "[0m]:\tmsg " + c.name
                        : "[" + c.name + "]:\tmsg " + c.name;
            EXPECT_EQ(lines[i].substr(10), expected);
        }
        EXPECT_EQ(text.substr(text.size() - 12), "own newline\n");
    }
}

TEST_F(LoggingTest, JsonFileEscapesMessagesAndParses) {
    TempDir dir;
    auto settings = Logging::json_file_settings();
    settings.directory = dir.path();
    Logging::start_file_sink(settings, Logging::format_json_record);
    const std::vector<std::string> messages = {
        "plain", "say \"hi\"", "back\\slash", "two\nlines", "tab\there", std::string("bell\x01"),
    };
    log(info, messages[0]);
    for (std::size_t i = 1; i < messages.size(); ++i)
        log(warning, messages[i]);
    boost::log::core::get()->remove_all_sinks();

    const auto files = dir.files(".json");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(std::regex_match(files[0], std::regex("file_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.0\\.json")));
    const std::string text = dir.read(files[0]);
    const auto lines = lines_of(text);
    ASSERT_EQ(lines.size(), messages.size() + 1);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("\\[\\{\"lineID\": \\d+, \"timestamp\": \"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\", \"severity\": \"INFO\", \"message\": \"plain\"\\}")))
        << lines[0];
    EXPECT_EQ(lines[1].substr(0, 2), ",{");
    const std::string escaped = "\"message\": \"say \\\"hi\\\"\"}";
    EXPECT_EQ(lines[1].substr(lines[1].size() - escaped.size()), escaped);
    EXPECT_EQ(lines.back(), "]");

    const auto tree = parse_json(text);
    EXPECT_EQ(messages_of(tree), messages);
    EXPECT_EQ(tree.front().second.get<std::string>("severity"), "INFO");
}

TEST_F(LoggingTest, RotatedJsonFilesEachParse) {
    TempDir dir;
    auto settings = Logging::json_file_settings();
    settings.directory = dir.path();
    settings.rotation_size = 300;
    Logging::start_file_sink(settings, Logging::format_json_record);
    std::vector<std::string> sent;
    for (int i = 0; i < 10; ++i) {
        sent.push_back("record " + std::to_string(i));
        log(info, sent.back());
    }
    boost::log::core::get()->remove_all_sinks();

    const auto files = dir.files(".json");
    ASSERT_GT(files.size(), 2u);
    std::vector<std::string> received;
    for (const auto& name : files) {
        const std::string text = dir.read(name);
        EXPECT_LE(text.size(), 300u) << name;
        EXPECT_EQ(text.substr(0, 2), "[{") << name;
        const auto got = messages_of(parse_json(text));
        received.insert(received.end(), got.begin(), got.end());
    }
    EXPECT_EQ(received, sent);
}

TEST_F(LoggingTest, FilesRotateDailyAtNoon) {
    TempDir dir;
    std::time_t now = local_time(11, 59, 59);
    auto settings = Logging::json_file_settings();
    settings.directory = dir.path();
    settings.clock = [&now] { return now; };
    Logging::start_file_sink(settings, Logging::format_json_record);
    log(info, "morning");
    now += 1;  // 12:00:00
    log(info, "noon");
    log(info, "afternoon");
    boost::log::core::get()->remove_all_sinks();

    const auto files = dir.files(".json");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_NE(files[0].find("_11-59-59.0.json"), std::string::npos) << files[0];
    EXPECT_NE(files[1].find("_12-00-00.1.json"), std::string::npos) << files[1];
    EXPECT_EQ(messages_of(parse_json(dir.read(files[0]))), std::vector<std::string>{"morning"});
    EXPECT_EQ(messages_of(parse_json(dir.read(files[1]))),
              (std::vector<std::string>{"noon", "afternoon"}));
}

TEST_F(LoggingTest, RunsInTheSameSecondKeepEachOthersLogs) {
    TempDir dir;
    const std::time_t fixed = std::time(nullptr);
    for (const auto& run : {"first", "second"}) {
        for (const bool json : {true, false}) {
            auto settings = json ? Logging::json_file_settings() : Logging::text_file_settings();
            settings.directory = dir.path();
            settings.clock = [fixed] { return fixed; };
            Logging::start_file_sink(settings, json ? Logging::format_json_record
                                                    : Logging::format_text_record);
        }
        log(info, run);
        boost::log::core::get()->remove_all_sinks();
    }

    // The text log is continued; each run gets a JSON file of its own.
    const auto logs = dir.files(".log");
    ASSERT_EQ(logs.size(), 1u);
    const auto lines = lines_of(dir.read(logs[0]));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("\\[\\d+\\] \\[\\d\\d:\\d\\d:\\d\\d\\] \\[INFO\\] : first")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex("\\[\\d+\\] \\[[^\\]]+\\] \\[INFO\\] : second")));

    const auto jsons = dir.files(".json");
    ASSERT_EQ(jsons.size(), 2u);
    EXPECT_EQ(messages_of(parse_json(dir.read(jsons[0]))), std::vector<std::string>{"first"});
    EXPECT_EQ(messages_of(parse_json(dir.read(jsons[1]))), std::vector<std::string>{"second"});
}

TEST_F(LoggingTest, UnusableLogFileWarnsOnceAndOtherSinksGoOn) {
    struct Case { std::string directory; std::string pattern; bool append; std::string says; };
    const Case cases[] = {
        {"/nonexistent-tarvo-dir", "file_%N.json", false, "cannot be created"},
        {"/dev", "full", true, "cannot be written"},  // every write fails
    };
    for (const auto& c : cases) {
        boost::log::core::get()->remove_all_sinks();
        auto settings = Logging::json_file_settings();
        settings.directory = c.directory;
        settings.pattern = c.pattern;
        settings.append = c.append;
        std::ostringstream out;
        Capture err(std::cerr);
        Logging::start_file_sink(settings, Logging::format_json_record);
        Logging::start_stream_sink(out);
        log(info, "one");
        log(info, "two");
        boost::log::core::get()->remove_all_sinks();

        const auto warnings = lines_of(err.text());
        ASSERT_EQ(warnings.size(), 1u) << err.text();
        EXPECT_NE(warnings[0].find("warning: log file"), std::string::npos);
        EXPECT_NE(warnings[0].find(c.says), std::string::npos) << warnings[0];
        EXPECT_EQ(lines_of(out.str()).size(), 2u);
    }
}

TEST_F(LoggingTest, NoRecordNoFile) {
    TempDir dir;
    auto settings = Logging::text_file_settings();
    settings.directory = dir.path();
    Logging::add_filter(5);
    Logging::start_file_sink(settings, Logging::format_text_record);
    log(debug_1, "filtered out");
    boost::log::core::get()->remove_all_sinks();
    EXPECT_TRUE(dir.files().empty());
}
