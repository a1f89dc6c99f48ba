// The test table binds each CXL 2.0 configuration-space key to the test
// function of its number.

#include <gtest/gtest.h>

#include "cli/testcase_table.hpp"
#include "comptests/config_tests.hpp"
#include "unit/cfgtests/table_binding.hpp"

namespace {

using namespace tarvo;
namespace v2d0 = tarvo::compliance::v2d0;
using tabletest::bound;
using tabletest::Fn;

TEST(CfgTableEntries, EveryKeyNamesTheFunctionOfItsNumber) {
    const std::pair<const char*, Fn> entries[] = {
        {"2/CFG/1", v2d0::CFG_1},   {"2/CFG/2", v2d0::CFG_2},   {"2/CFG/3", v2d0::CFG_3},
        {"2/CFG/4", v2d0::CFG_4},   {"2/CFG/5", v2d0::CFG_5},   {"2/CFG/6", v2d0::CFG_6},
        {"2/CFG/7", v2d0::CFG_7},   {"2/CFG/8", v2d0::CFG_8},   {"2/CFG/9", v2d0::CFG_9},
        {"2/CFG/10", v2d0::CFG_10}, {"2/CFG/11", v2d0::CFG_11}, {"2/CFG/12", v2d0::CFG_12},
        {"2/CFG/13", v2d0::CFG_13}, {"2/CFG/14", v2d0::CFG_14}, {"2/CFG/15", v2d0::CFG_15},
        {"2/CFG/16", v2d0::CFG_16}, {"2/CFG/18", v2d0::CFG_18}, {"2/CFG/19", v2d0::CFG_19},
        {"2/CFG/20", v2d0::CFG_20}, {"2/CFG/21", v2d0::CFG_21}, {"2/CFG/22", v2d0::CFG_22},
        {"2/CFG/23", v2d0::CFG_23}, {"2/CFG/24", v2d0::CFG_24},
    };
    const TestcaseMap table = cli::build_testcase_map();
    size_t cfg2 = 0;
    for (const auto& entry : table) cfg2 += entry.first.rfind("2/CFG/", 0) == 0;
    EXPECT_EQ(cfg2, 23u);
    EXPECT_EQ(table.count("2/CFG/17"), 0u);
    for (const auto& e : entries) EXPECT_EQ(bound(table, e.first), e.second) << e.first;
}

}  // namespace
