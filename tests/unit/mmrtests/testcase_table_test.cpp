// The memory-mapped register and memory entries of the test table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/testcase_table.hpp"
#include "comptests/mem_tests.hpp"
#include "comptests/mmr_tests.hpp"
#include "unit/cfgtests/table_binding.hpp"

namespace {

using tabletest::bound;
using tabletest::Fn;

TEST(TestcaseTable, BindsEachMmrAndMemKeyToItsFunction) {
    const tarvo::TestcaseMap table = cli::build_testcase_map();
    const Fn mmr[] = {
        comptests2_0::MMR_1,  comptests2_0::MMR_2,  comptests2_0::MMR_3,  comptests2_0::MMR_4,
        comptests2_0::MMR_5,  comptests2_0::MMR_6,  comptests2_0::MMR_7,  comptests2_0::MMR_8,
        comptests2_0::MMR_9,  comptests2_0::MMR_10, comptests2_0::MMR_11, comptests2_0::MMR_12,
        comptests2_0::MMR_13, comptests2_0::MMR_14, comptests2_0::MMR_15, comptests2_0::MMR_16,
    };
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(bound(table, "2/MMR/" + std::to_string(n)), mmr[n - 1]) << n;
    }
    EXPECT_EQ(bound(table, "2/MEM/1"), comptests2_0::MEM_1);
    EXPECT_EQ(bound(table, "2/MEM/2"), comptests2_0::MEM_2);
    EXPECT_EQ(table.count("2/MMR/17") + table.count("2/MEM/3") + table.count("2/MMR/0"), 0u);

    // Keys sort as text: the MEM keys before 2/MMR/1, 2/MMR/10 to 16 before 2/MMR/2.
    std::vector<std::string> keys;
    for (const auto& entry : table) {
        if (entry.first.rfind("2/M", 0) == 0) {
            keys.push_back(entry.first);
        }
    }
    const std::vector<std::string> expected = {
        "2/MEM/1",  "2/MEM/2",  "2/MMR/1",  "2/MMR/10", "2/MMR/11", "2/MMR/12",
        "2/MMR/13", "2/MMR/14", "2/MMR/15", "2/MMR/16", "2/MMR/2",  "2/MMR/3",
        "2/MMR/4",  "2/MMR/5",  "2/MMR/6",  "2/MMR/7",  "2/MMR/8",  "2/MMR/9"};
    EXPECT_EQ(keys, expected);
}

}  // namespace
