#include <gtest/gtest.h>

#include <boost/property_tree/exceptions.hpp>
#include <boost/property_tree/json_parser.hpp>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/testproperties.hpp"

using namespace tarvo;
using namespace tarvo::core;
using tarvo::types::TestData;
using tarvo::types::TestIDFilter;

namespace {

std::string entry(const std::string& name, const std::string& key, const std::string& spec,
                  const std::string& group, const std::string& id,
                  const std::string& extra = "") {
    return "\"" + name + "\": {\"parse\": true, \"key\": \"" + key +
           "\", \"reference\": \"ref\", \"spec\": " + spec + ", \"group\": \"" + group +
           "\", \"id\": " + id + ", \"vers\": \"1\", \"name\": \"N" + key +
           "\", \"description\": \"d\", \"enabled\": true, \"port\": \"EP\", "
           "\"dependencies\": [\"2/CFG/1\", 5]" + extra + "}";
}

// Several specs and groups, given in no order.
std::string catalogue() {
    return "{" + entry("a", "2/MMR/1", "2", "MMR", "1") + "," +
           entry("b", "1.1/CFG/2", "1.1", "CFG", "2") + "," +
           entry("c", "2/CFG/10", "2", "CFG", "10") + "," +
           entry("d", "2/CFG/9", "\"2\"", "CFG", "\"9\"") + "," +
           entry("e", "1.1/RST/7", "1.1", "RST", "7") + "," +
           entry("f", "2/CFG/1", "2", "CFG", "1") + "," +
           entry("g", "1.1/MMR/1", "1.1", "MMR", "1") + "," +
           "\"skipped\": {\"parse\": false}" + "}";
}

std::vector<std::string> keys(const std::vector<TestData>& v) {
    std::vector<std::string> out;
    for (const auto& t : v) out.push_back(t.key());
    return out;
}

struct RefusedCase {
    std::string text;
    std::string message;
};

// Each text is refused with error E, whose message holds the case's message.
template <typename E, size_t N>
void expect_refused(const RefusedCase (&cases)[N]) {
    for (const auto& c : cases) {
        try {
            TestProperties tp(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const E& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

using V = std::vector<std::string>;

}  // namespace

TEST(TestProperties, ViewsAreFullyOrdered) {
    TestProperties tp(catalogue());
    EXPECT_EQ(keys(tp.list()), (V{"1.1/CFG/2", "1.1/MMR/1", "1.1/RST/7", "2/CFG/1", "2/CFG/9",
                                  "2/CFG/10", "2/MMR/1"}));
    EXPECT_EQ(keys(tp.sort_by(DEFAULT)), keys(tp.list()));
    // Entries equivalent under a view's keys follow in natural order.
    EXPECT_EQ(keys(tp.sort_by(GROUP)), keys(tp.sort_by(GROUP_SPEC_AND_ID)));
    EXPECT_EQ(keys(tp.sort_by(GROUP)), (V{"1.1/CFG/2", "2/CFG/1", "2/CFG/9", "2/CFG/10",
                                          "1.1/MMR/1", "2/MMR/1", "1.1/RST/7"}));
    EXPECT_EQ(keys(tp.sort_by(ID)), keys(tp.sort_by(ID_SPEC_GROUP)));
    EXPECT_EQ(keys(tp.sort_by(ID)), (V{"1.1/MMR/1", "2/CFG/1", "2/MMR/1", "1.1/CFG/2",
                                       "1.1/RST/7", "2/CFG/9", "2/CFG/10"}));
    EXPECT_EQ(keys(tp.sort_by(SPEC_AND_ID)), (V{"1.1/MMR/1", "1.1/CFG/2", "1.1/RST/7", "2/CFG/1",
                                                "2/MMR/1", "2/CFG/9", "2/CFG/10"}));
    EXPECT_EQ(keys(tp.sort_by(GROUP_AND_ID)), (V{"2/CFG/1", "1.1/CFG/2", "2/CFG/9", "2/CFG/10",
                                                 "1.1/MMR/1", "2/MMR/1", "1.1/RST/7"}));
    EXPECT_TRUE(tp.sort_by(count).empty());
    EXPECT_TRUE(tp.sort_by(static_cast<SortFilterOptions>(77)).empty());
}

TEST(TestProperties, FiltersChooseWhichKeysCount) {
    TestProperties tp(catalogue());
    struct Case { SortFilterOptions o; TestIDFilter f; V expected; };
    const Case cases[] = {
        {SPEC_AND_GROUP, {2, "CFG", 0}, {"2/CFG/1", "2/CFG/9", "2/CFG/10"}},
        {SPEC_AND_GROUP, {1.1f, "CFG", 0}, {"1.1/CFG/2"}},
        {GROUP, {7, "MMR", 99}, {"1.1/MMR/1", "2/MMR/1"}},
        {SPEC, {1.1f, "", 0}, {"1.1/CFG/2", "1.1/MMR/1", "1.1/RST/7"}},
        {ID, {0, "", 1}, {"1.1/MMR/1", "2/CFG/1", "2/MMR/1"}},
        {SPEC_AND_ID, {2, "x", 1}, {"2/CFG/1", "2/MMR/1"}},
        {GROUP_AND_ID, {0, "MMR", 1}, {"1.1/MMR/1", "2/MMR/1"}},
        {DEFAULT, {2, "CFG", 9}, {"2/CFG/9"}},
        {GROUP_SPEC_AND_ID, {2, "CFG", 9}, {"2/CFG/9"}},
        {ID_SPEC_GROUP, {1.1f, "RST", 7}, {"1.1/RST/7"}},
        {DEFAULT, {2, "CFG", 4}, {}},
        {SPEC_AND_GROUP, {2, "cfg", 0}, {}},
        {count, {2, "CFG", 9}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keys(tp.filter_by(c.o, c.f)), c.expected) << "option " << c.o;
    }
}

TEST(TestProperties, EntriesAndLookup) {
    std::string disabled = entry("w", "2/CFG/6", "2", "CFG", "6");
    disabled.replace(disabled.find("\"enabled\": true"), 15, "\"enabled\": false");
    TestProperties tp("{" + entry("x", "2/CFG/4", "2", "CFG", "4", ", \"unknown\": 1") + "," +
                      entry("y", "2/CFG/4", "1.1", "RST", "8") + "," +
                      entry("z", "2/cfg/5", "2", "CFG", "5") + "," + disabled + "}");
    // The first entry with a key wins; the second is dropped.
    EXPECT_EQ(keys(tp.list()), (V{"2/CFG/4", "2/cfg/5", "2/CFG/6"}));
    TestData d = tp.info("2/cfg/4");
    EXPECT_EQ(d.key(), "2/CFG/4");
    EXPECT_EQ(d.spec(), 2.0f);
    EXPECT_EQ(d.group(), "CFG");
    EXPECT_EQ(d.id(), 4);
    EXPECT_EQ(d.reference(), "ref");
    EXPECT_EQ(d.vers(), "1");
    EXPECT_EQ(d.name(), "N2/CFG/4");
    EXPECT_EQ(d.description(), "d");
    EXPECT_EQ(d.port(), "EP");
    EXPECT_TRUE(d.enabled_flag());
    EXPECT_EQ(d.dependencies(), (V{"2/CFG/1", "5"}));
    EXPECT_FALSE(tp.info("2/CFG/6").enabled_flag());
    EXPECT_EQ(tp.info("2/CFG/6").key(), "2/CFG/6");
    // A stored key with lower-case letters is out of reach of info.
    EXPECT_EQ(tp.info("2/cfg/5").id(), -1);
    EXPECT_EQ(tp.info("2/CFG/5").id(), -1);
    EXPECT_EQ(tp.info("").spec(), -1.0f);
}

TEST(TestProperties, EmptyCatalogues) {
    for (const char* text : {"{}", "{\"a\": {\"parse\": false}, \"b\": {\"parse\": \"0\"}}"}) {
        TestProperties tp(text);
        for (uint32_t o = 0; o < count; ++o) {
            EXPECT_TRUE(tp.sort_by(static_cast<SortFilterOptions>(o)).empty());
        }
        EXPECT_TRUE(tp.list().empty());
        EXPECT_TRUE(tp.filter_by(DEFAULT, TestIDFilter(2, "CFG", 1)).empty());
        EXPECT_EQ(tp.info("2/CFG/1").id(), -1);
    }
    TestProperties none;
    EXPECT_TRUE(none.list().empty());
    EXPECT_TRUE(none.filter_by(GROUP, TestIDFilter(2, "CFG", 1)).empty());
}

TEST(TestProperties, BadTextIsRefusedWithTheMemberNamed) {
    namespace pt = boost::property_tree;
    auto with = [](const std::string& from, const std::string& to) {
        std::string e = entry("bad", "2/CFG/4", "2", "CFG", "4");
        e.replace(e.find(from), from.size(), to);
        return "{" + entry("good", "2/CFG/1", "2", "CFG", "1") + "," + e + "}";
    };
    const RefusedCase bad_data[] = {
        {with("\"id\": 4", "\"id\": \"x\""), "member \"id\" of entry \"bad\" is not an integer: \"x\""},
        {with("\"id\": 4", "\"id\": 1.5"), "member \"id\" of entry \"bad\" is not an integer: \"1.5\""},
        {with("\"id\": 4", "\"id\": 99999999999"), "is not an integer"},
        {with("\"spec\": 2", "\"spec\": \"abc\""), "member \"spec\" of entry \"bad\" is not a finite number"},
        {with("\"spec\": 2", "\"spec\": 1e99"), "\"spec\""},
        {with("\"parse\": true", "\"parse\": \"yes\""), "member \"parse\" of entry \"bad\" is not true or false"},
        {with("\"key\": \"2/CFG/4\"", "\"key\": {\"a\": 1}"), "member \"key\" of entry \"bad\" is not a text"},
        {with("[\"2/CFG/1\", 5]", "\"2/CFG/1\""), "member \"dependencies\" of entry \"bad\" is not an array"},
        {with("[\"2/CFG/1\", 5]", "{\"a\": 1}"), "is not an array"},
    };
    expect_refused<pt::ptree_bad_data>(bad_data);
    const RefusedCase bad_path[] = {
        {with("\"dependencies\"", "\"deps\""), "entry \"bad\" has no member \"dependencies\""},
        {with("\"parse\": true,", ""), "entry \"bad\" has no member \"parse\""},
        {with("\"port\"", "\"Port\""), "entry \"bad\" has no member \"port\""},
        {"{\"version\": 3}", "entry \"version\" has no member \"parse\""},
    };
    expect_refused<pt::ptree_bad_path>(bad_path);
    for (const char* text : {"", "{", "{\"a\": }", "not json", "42"}) {
        EXPECT_THROW(TestProperties tp(text), pt::json_parser_error) << text;
    }
    // An entry with parse false needs nothing else.
    EXPECT_NO_THROW(TestProperties("{\"a\": {\"parse\": false, \"id\": \"x\"}}"));
}

TEST(TestProperties, LoadFileReportsOneLineAndGoesOnEmpty) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("tarvo_catalogue_" + std::to_string(getpid()));
    fs::create_directories(dir);
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return (dir / name).string();
    };
    auto good = TestProperties::load_file(write("good.json", catalogue()));
    EXPECT_TRUE(good.ok());
    EXPECT_EQ(good.catalogue.list().size(), 7u);

    struct Case { std::string path; std::string reason; };
    const Case cases[] = {
        {(dir / "missing.json").string(), "No such file or directory"},
        {write("empty.json", ""), "the file is empty"},
        {write("broken.json", "{\n\"a\": [1,\n}"), "line 3: "},
        {write("badid.json", "{" + entry("e", "2/CFG/1", "2", "CFG", "\"one\"") + "}"),
         "member \"id\" of entry \"e\""},
        {dir.string(), "not a regular file"},
    };
    for (const auto& c : cases) {
        auto load = TestProperties::load_file(c.path);
        EXPECT_FALSE(load.ok());
        EXPECT_TRUE(load.catalogue.list().empty());
        EXPECT_EQ(load.error.rfind("Cannot load the test-case file \"" + c.path + "\": ", 0), 0u)
            << load.error;
        EXPECT_NE(load.error.find(c.reason), std::string::npos) << load.error;
        EXPECT_EQ(load.error.find('\n'), std::string::npos) << load.error;
    }
    fs::remove_all(dir);
}
