#include <gtest/gtest.h>

#include "common/testdata.hpp"
#include "common/testrecord.hpp"
#include "core/history/testsession.hpp"
#include "core/testhistory.hpp"

using namespace tarvo;
using namespace tarvo::types;

namespace {
TestRecord record(const std::string& key, int id, TestState::state s) {
    return TestRecord(TestData(key, "", 2, "CFG", id, "1", "n", "", "", true, {}), TestState(s),
                      "note " + key);
}
}  // namespace

TEST(TestData, ArgumentOrderAndErrorEntry) {
    TestData d("2/CFG/4", "ref", 2, "CFG", 4, "1.0", "Cfg4", "A", "B", true, {"2/CFG/1"});
    EXPECT_EQ(d.port(), "A");
    EXPECT_EQ(d.description(), "B");
    EXPECT_EQ(d.key(), "2/CFG/4");
    EXPECT_EQ(d.reference(), "ref");
    EXPECT_EQ(d.vers(), "1.0");
    EXPECT_EQ(d.name(), "Cfg4");
    EXPECT_EQ(d.dependencies(), std::vector<std::string>{"2/CFG/1"});
    EXPECT_TRUE(d.enabled_flag());

    ErrorTestData e;
    EXPECT_EQ(e.id(), -1);
    EXPECT_EQ(e.spec(), -1.0f);
    EXPECT_EQ(e.key(), "");
    EXPECT_EQ(e.group(), "");
    EXPECT_FALSE(e.enabled_flag());
    EXPECT_TRUE(e.dependencies().empty());
}

TEST(TestData, TextForm) {
    TestData plain("2/CFG/4", "r", 2, "CFG", 4, "v", "Cfg4", "EP", "desc", true, {});
    EXPECT_EQ(plain.str(),
              "{\n\tkey: 2/CFG/4\n\treference: r\n\tspec: 2\n\tgroup: CFG\n\tid: 4\n\tvers: v\n"
              "\tport: EP\n\tname: Cfg4\n\tdesc: desc\n\n\tenabled: 1\n}\n");
    TestData deps("1.1/CFG/2", "r", 1.1f, "CFG", 2, "v", "n", "p", "d", false, {"a", "b"});
    std::ostringstream out;
    out << deps;
    EXPECT_EQ(out.str(),
              "{\n\tkey: 1.1/CFG/2\n\treference: r\n\tspec: 1.1\n\tgroup: CFG\n\tid: 2\n\tvers: v\n"
              "\tport: p\n\tname: n\n\tdesc: d\n\t{\n\t\tdependencies: \n\t\t a\n\t\t b\n\t}"
              "\n\tenabled: 0\n}\n");
}

TEST(History, SessionsAndRecordsKeepOrderAndAreCopied) {
    TestHistory h;
    EXPECT_TRUE(h.history().empty());

    core::TestSession s1;
    s1.add_record(record("2/CFG/4", 4, TestState::passed));
    s1.add_record(record("2/CFG/1", 1, TestState::failed));
    h.add_session(s1);
    s1.add_record(record("2/CFG/2", 2, TestState::skipped));  // after the copy: not stored
    h.add_session(core::TestSession({record("2/CFG/9", 9, TestState::aborted)}));

    auto sessions = h.history();
    ASSERT_EQ(sessions.size(), 2u);
    auto first = sessions[0].session();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].key(), "2/CFG/4");
    EXPECT_EQ(first[0].result().str(), "passed");
    EXPECT_EQ(first[1].note(), "note 2/CFG/1");
    EXPECT_EQ(sessions[1].session()[0].status.str(), "aborted");

    sessions.clear();
    EXPECT_EQ(h.history().size(), 2u);
}
