#include <gtest/gtest.h>

#include <sstream>

#include "common/teststate.hpp"

using tarvo::types::TestState;

TEST(TestState, NamesAndIconsOfEveryState) {
    struct Case { TestState::state s; uint32_t value; const char* name; const char* icon; };
    // States without a table entry fall back to the enumerator name.
    const Case cases[] = {
        {TestState::not_started, 0, "not_started", "&#11093"},
        {TestState::running, 1, "running", "&#128191"},
        {TestState::passed, 2, "passed", "&#9989"},
        {TestState::skipped, 3, "skipped", "&#10145"},
        {TestState::warning, 4, "warning", "&#10069"},
        {TestState::failed, 5, "failed", "&#10060"},
        {TestState::finished_supported, 6, "finished_supported", "finished_supported"},
        {TestState::finished_not_supported, 7, "finished_not_supported",
         "finished_not_supported"},
        {TestState::aborted, 8, "aborted", "&#10071"},
        {TestState::pickled, 9, "pickled", "pickled"},
    };
    for (const auto& c : cases) {
        TestState ts(c.s);
        EXPECT_EQ(static_cast<uint32_t>(c.s), c.value);
        EXPECT_EQ(ts.str(), c.name);
        EXPECT_EQ(ts.web(), c.icon);
    }
    EXPECT_EQ(tarvo::types::state_string.size(), 9u);
    EXPECT_EQ(tarvo::types::state_web_emoji.size(), 7u);
}

TEST(TestState, StreamsTheBareName) {
    std::ostringstream out;
    out << TestState(TestState::passed);
    EXPECT_EQ(out.str(), "passed");
    TestState copy = TestState(TestState::failed);
    copy = TestState(TestState::aborted);
    EXPECT_EQ(copy.value(), TestState::aborted);
}
