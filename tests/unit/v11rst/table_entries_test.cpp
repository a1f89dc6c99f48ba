// The test table's CXL 1.1 configuration and reset entries, and the whole
// table they complete.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "cli/testcase_table.hpp"
#include "comptests/reset_tests.hpp"
#include "comptests/v1d1_config_tests.hpp"
#include "unit/cfgtests/table_binding.hpp"

namespace {

using namespace tarvo;
namespace v1d1 = tarvo::compliance::v1d1;
namespace v2d0 = tarvo::compliance::v2d0;
using tabletest::bound;
using tabletest::Fn;

TEST(V11TableEntries, EachKeyNamesTheFunctionOfItsNumber) {
    const std::pair<const char*, Fn> entries[] = {
        {"1.1/CFG/1", v1d1::CFG_1},   {"1.1/CFG/2", v1d1::CFG_2},  {"1.1/CFG/3", v1d1::CFG_3},
        {"1.1/CFG/4", v1d1::CFG_4},   {"1.1/CFG/5", v1d1::CFG_5},  {"1.1/CFG/6", v1d1::CFG_6},
        {"1.1/CFG/7", v1d1::CFG_7},   {"1.1/CFG/8", v1d1::CFG_8},  {"1.1/CFG/13", v1d1::CFG_13},
        {"1.1/CFG/14", v1d1::CFG_14}, {"2/RST/6", v2d0::RST_6},    {"2/RST/7", v2d0::RST_7},
    };
    const TestcaseMap table = cli::build_testcase_map();
    for (const auto& e : entries) EXPECT_EQ(bound(table, e.first), e.second) << e.first;
    for (int n = 9; n <= 12; ++n) EXPECT_EQ(table.count("1.1/CFG/" + std::to_string(n)), 0u);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(table.count("2/RST/" + std::to_string(n)), 0u);
}

TEST(V11TableEntries, TheWholeTableHas53KeysInTextOrder) {
    const TestcaseMap table = cli::build_testcase_map();
    EXPECT_EQ(table.size(), 53u);
    std::vector<std::string> keys;
    for (const auto& entry : table) keys.push_back(entry.first);
    const std::vector<std::string> first = {"1.1/CFG/1", "1.1/CFG/13", "1.1/CFG/14",
                                            "1.1/CFG/2"};
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 4), first);
    const auto at = [&keys](const std::string& key) {
        return std::find(keys.begin(), keys.end(), key) - keys.begin();
    };
    EXPECT_LT(at("2/CFG/10"), at("2/CFG/2"));
    EXPECT_LT(at("2/CFG/9"), at("2/MEM/1"));
    EXPECT_LT(at("2/MMR/9"), at("2/RST/6"));
    EXPECT_EQ(keys.back(), "2/RST/7");
}

}  // namespace
