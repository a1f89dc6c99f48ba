#include "comptests/dummy_tests.hpp"

#include <chrono>

#include "common/sleep.hpp"

namespace mock {

using tarvo::core::TestResult;
using tarvo::core::Testools;
using tarvo::types::TestState;

TestResult DummyTest1(Testools& /*tt*/) {
    return TestResult(TestState::passed, "Passed mismatch");
}

TestResult DummyTest2(Testools& /*tt*/) {
    return TestResult(TestState::failed, "Offset found to be equal.");
}

TestResult DummyTest3(Testools& tt) {
    tt.messenger->info_msg("Offset [1] is set to 0xBEEF");
    tt.messenger->info_msg("Offset [2] is set to 0xBEEF");
    tt.messenger->warn_msg("Potentially offset1 and offset2 are equal.");
    tt.messenger->debug_msg(5, "A passing state was reached.");
    return TestResult(TestState::passed, "");
}

TestResult DummyTest4(Testools& /*tt*/) {
    tarvo::sleep_for(std::chrono::seconds(10));
    return TestResult(TestState::passed, "Successfully slept for 10 seconds.");
}

TestResult DummyTest5(Testools& /*tt*/) {
    return TestResult(TestState::passed, "Passing state was reached.");
}

}  // namespace mock
