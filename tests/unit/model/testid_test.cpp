#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/testcases/testfilter.hpp"

using namespace tarvo::core;
using tarvo::types::TestID;
using tarvo::types::TestIDFilter;

namespace {

std::string key(const TestID& t) {
    std::ostringstream out;
    out << t.spec() << '/' << t.group() << '/' << t.id();
    return out.str();
}

template <typename Order>
std::vector<std::string> sorted(std::vector<TestID> ids) {
    std::stable_sort(ids.begin(), ids.end(), Order());
    std::vector<std::string> keys;
    for (const auto& t : ids) keys.push_back(key(t));
    return keys;
}

// Deliberately out of order, with ties under every partial ordering.
const std::vector<TestID> kIds = {
    {2, "MMR", 1}, {1.1f, "CFG", 2}, {2, "CFG", 10}, {2, "CFG", 9},
    {1.1f, "RST", 7}, {2, "CFG", 1}, {1.1f, "MMR", 1},
};

}  // namespace

TEST(TestID, NaturalOrder) {
    EXPECT_TRUE(TestID(2, "CFG", 9) < TestID(2, "CFG", 10));
    EXPECT_TRUE(TestID(1.1f, "RST", 7) < TestID(2, "CFG", 1));
    EXPECT_FALSE(TestID(2, "CFG", 1) < TestID(2, "CFG", 1));
    EXPECT_TRUE(TestID(2, "RST", 1) < TestID(2, "cfg", 1));  // byte order: upper before lower
    auto ids = kIds;
    std::sort(ids.begin(), ids.end());
    std::vector<std::string> keys;
    for (const auto& t : ids) keys.push_back(key(t));
    EXPECT_EQ(keys, (std::vector<std::string>{"1.1/CFG/2", "1.1/MMR/1", "1.1/RST/7", "2/CFG/1",
                                               "2/CFG/9", "2/CFG/10", "2/MMR/1"}));
}

TEST(TestID, NineOrderingsWithTies) {
    using V = std::vector<std::string>;
    // A stable sort keeps the input order among equivalent identifiers, which
    // shows exactly which keys each ordering reads.
    EXPECT_EQ(sorted<FilterTestSpec>(kIds),
              (V{"1.1/CFG/2", "1.1/RST/7", "1.1/MMR/1", "2/MMR/1", "2/CFG/10", "2/CFG/9", "2/CFG/1"}));
    EXPECT_EQ(sorted<FilterTestGroup>(kIds),
              (V{"1.1/CFG/2", "2/CFG/10", "2/CFG/9", "2/CFG/1", "2/MMR/1", "1.1/MMR/1", "1.1/RST/7"}));
    EXPECT_EQ(sorted<FilterTestID>(kIds),
              (V{"2/MMR/1", "2/CFG/1", "1.1/MMR/1", "1.1/CFG/2", "1.1/RST/7", "2/CFG/9", "2/CFG/10"}));
    EXPECT_EQ(sorted<FilterTestSpecGroup>(kIds),
              (V{"1.1/CFG/2", "1.1/MMR/1", "1.1/RST/7", "2/CFG/10", "2/CFG/9", "2/CFG/1", "2/MMR/1"}));
    EXPECT_EQ(sorted<FilterTestSpecID>(kIds),
              (V{"1.1/MMR/1", "1.1/CFG/2", "1.1/RST/7", "2/MMR/1", "2/CFG/1", "2/CFG/9", "2/CFG/10"}));
    EXPECT_EQ(sorted<FilterTestGroupID>(kIds),
              (V{"2/CFG/1", "1.1/CFG/2", "2/CFG/9", "2/CFG/10", "2/MMR/1", "1.1/MMR/1", "1.1/RST/7"}));
    EXPECT_EQ(sorted<FilterTestSpecGroupID>(kIds),
              (V{"1.1/CFG/2", "1.1/MMR/1", "1.1/RST/7", "2/CFG/1", "2/CFG/9", "2/CFG/10", "2/MMR/1"}));
    EXPECT_EQ(sorted<FilterTestGroupSpecID>(kIds),
              (V{"1.1/CFG/2", "2/CFG/1", "2/CFG/9", "2/CFG/10", "1.1/MMR/1", "2/MMR/1", "1.1/RST/7"}));
    EXPECT_EQ(sorted<FilterTestIDSpecGroup>(kIds),
              (V{"1.1/MMR/1", "2/CFG/1", "2/MMR/1", "1.1/CFG/2", "1.1/RST/7", "2/CFG/9", "2/CFG/10"}));
}

TEST(TestID, FiltersCompareOnEitherSide) {
    FilterTestGroup g;
    EXPECT_FALSE(g(TestID(1.1f, "CFG", 3), TestIDFilter(2, "CFG", 99)));
    EXPECT_FALSE(g(TestIDFilter(2, "CFG", 99), TestID(1.1f, "CFG", 3)));
    FilterTestSpecGroupID all;
    EXPECT_TRUE(all(TestID(2, "CFG", 3), TestIDFilter(2, "CFG", 4)));
    EXPECT_FALSE(all(TestIDFilter(2, "CFG", 4), TestID(2, "CFG", 3)));
    FilterTestIDSpecGroup idsg;
    EXPECT_TRUE(idsg(TestID(2, "CFG", 1), TestID(1.1f, "CFG", 2)));
    EXPECT_TRUE(idsg(TestID(1.1f, "MMR", 1), TestID(2, "CFG", 1)));
}
