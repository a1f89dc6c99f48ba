#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "common/sleep.hpp"
#include "comptests/dummy_tests.hpp"
#include "core/testcases/testfunction.hpp"
#include "log_capture.hpp"

using namespace tarvo;
using tarvo::types::TestState;
using R = LogCapture::Record;

TEST(MockTests, FixedResultsAndRecords) {
    std::vector<std::chrono::milliseconds> waits;
    auto previous = tarvo::set_sleep_function(
        [&waits](std::chrono::milliseconds d) { waits.push_back(d); });

    core::Testools tt(nullptr, std::make_shared<core::TestMessenger>(), nullptr);
    struct Case { TestFunction fn; TestState::state state; const char* msg; };
    const Case cases[] = {
        {mock::DummyTest1, TestState::passed, "Passed mismatch"},
        {mock::DummyTest2, TestState::failed, "Offset found to be equal."},
        {mock::DummyTest3, TestState::passed, ""},
        {mock::DummyTest4, TestState::passed, "Successfully slept for 10 seconds."},
        {mock::DummyTest5, TestState::passed, "Passing state was reached."},
    };
    LogCapture log;
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) {
            core::TestResult r = c.fn(tt);
            EXPECT_EQ(r.state.value(), c.state) << c.msg;
            EXPECT_EQ(r.msg, c.msg);
            EXPECT_EQ(r.dressed_msg, "");
        }
    }
    tarvo::set_sleep_function(previous);

    EXPECT_EQ(waits, (std::vector<std::chrono::milliseconds>(2, std::chrono::seconds(10))));
    // Only DummyTest3 logs: four records per call, in this order.
    const std::vector<R> once = {
        {info, "Offset [1] is set to 0xBEEF"},
        {info, "Offset [2] is set to 0xBEEF"},
        {warning, "Potentially offset1 and offset2 are equal."},
        {tracer, "A passing state was reached."},
    };
    std::vector<R> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(log.records(), twice);
}
