#pragma once

#include <functional>
#include <map>
#include <string>

#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

namespace tarvo {

// The shape of every test case.
using TestFunction = std::function<core::TestResult(core::Testools&)>;

// Test key ("2/CFG/4") to its test function.
using TestcaseMap = std::map<std::string, TestFunction>;

}  // namespace tarvo
