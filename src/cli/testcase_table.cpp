#include "cli/testcase_table.hpp"

#include <boost/assign/list_of.hpp>

#include "comptests/config_tests.hpp"
#include "comptests/mem_tests.hpp"
#include "comptests/mmr_tests.hpp"

namespace cli {

tarvo::TestcaseMap build_testcase_map() {
    namespace v2d0 = tarvo::compliance::v2d0;
    namespace c20 = comptests2_0;
    tarvo::TestcaseMap table = boost::assign::map_list_of
        // CXL 2.0 configuration space.
        ("2/CFG/1", &v2d0::CFG_1)("2/CFG/2", &v2d0::CFG_2)("2/CFG/3", &v2d0::CFG_3)
        ("2/CFG/4", &v2d0::CFG_4)("2/CFG/5", &v2d0::CFG_5)("2/CFG/6", &v2d0::CFG_6)
        ("2/CFG/7", &v2d0::CFG_7)("2/CFG/8", &v2d0::CFG_8)("2/CFG/9", &v2d0::CFG_9)
        ("2/CFG/10", &v2d0::CFG_10)("2/CFG/11", &v2d0::CFG_11)("2/CFG/12", &v2d0::CFG_12)
        ("2/CFG/13", &v2d0::CFG_13)("2/CFG/14", &v2d0::CFG_14)("2/CFG/15", &v2d0::CFG_15)
        ("2/CFG/16", &v2d0::CFG_16)("2/CFG/18", &v2d0::CFG_18)("2/CFG/19", &v2d0::CFG_19)
        ("2/CFG/20", &v2d0::CFG_20)("2/CFG/21", &v2d0::CFG_21)("2/CFG/22", &v2d0::CFG_22)
        ("2/CFG/23", &v2d0::CFG_23)("2/CFG/24", &v2d0::CFG_24)
        // CXL 2.0 memory-mapped registers and memory, added last.
        ("2/MMR/1", &c20::MMR_1)("2/MMR/2", &c20::MMR_2)("2/MMR/3", &c20::MMR_3)
        ("2/MMR/4", &c20::MMR_4)("2/MMR/5", &c20::MMR_5)("2/MMR/6", &c20::MMR_6)
        ("2/MMR/7", &c20::MMR_7)("2/MMR/8", &c20::MMR_8)("2/MMR/9", &c20::MMR_9)
        ("2/MMR/10", &c20::MMR_10)("2/MMR/11", &c20::MMR_11)("2/MMR/12", &c20::MMR_12)
        ("2/MMR/13", &c20::MMR_13)("2/MMR/14", &c20::MMR_14)("2/MMR/15", &c20::MMR_15)
        ("2/MMR/16", &c20::MMR_16)
        ("2/MEM/1", &c20::MEM_1)("2/MEM/2", &c20::MEM_2);
    return table;
}

}  // namespace cli
