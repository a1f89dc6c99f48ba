#pragma once

#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

// Test cases with fixed outcomes that need no device.
namespace mock {

tarvo::core::TestResult DummyTest1(tarvo::core::Testools& tt);
tarvo::core::TestResult DummyTest2(tarvo::core::Testools& tt);
// Logs three findings and a trace record through tt.messenger.
tarvo::core::TestResult DummyTest3(tarvo::core::Testools& tt);
// Blocks the caller for ten seconds.
tarvo::core::TestResult DummyTest4(tarvo::core::Testools& tt);
tarvo::core::TestResult DummyTest5(tarvo::core::Testools& tt);

}  // namespace mock
