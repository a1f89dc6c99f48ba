#pragma once

#include "core/testcases/testfunction.hpp"

namespace cli {

// The test table: every test key of this build bound to its test function,
// handed to the service library once at start-up.
tarvo::TestcaseMap build_testcase_map();

}  // namespace cli
