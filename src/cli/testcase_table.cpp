#include "cli/testcase_table.hpp"

#include <string>

#include "comptests/mem_tests.hpp"
#include "comptests/mmr_tests.hpp"

namespace cli {
namespace {

// The memory-mapped register and memory tests, added last.
void add_mmr_and_mem_entries(tarvo::TestcaseMap& table) {
    const tarvo::TestFunction mmr[] = {
        comptests2_0::MMR_1,  comptests2_0::MMR_2,  comptests2_0::MMR_3,  comptests2_0::MMR_4,
        comptests2_0::MMR_5,  comptests2_0::MMR_6,  comptests2_0::MMR_7,  comptests2_0::MMR_8,
        comptests2_0::MMR_9,  comptests2_0::MMR_10, comptests2_0::MMR_11, comptests2_0::MMR_12,
        comptests2_0::MMR_13, comptests2_0::MMR_14, comptests2_0::MMR_15, comptests2_0::MMR_16,
    };
    int number = 1;
    for (const tarvo::TestFunction& test : mmr) {
        table.emplace("2/MMR/" + std::to_string(number++), test);
    }
    table.emplace("2/MEM/1", comptests2_0::MEM_1);
    table.emplace("2/MEM/2", comptests2_0::MEM_2);
}

}  // namespace

tarvo::TestcaseMap build_testcase_map() {
    tarvo::TestcaseMap table;
    add_mmr_and_mem_entries(table);
    return table;
}

}  // namespace cli
