#include <gtest/gtest.h>

#include <cstdint>

#include "comptests/buffer_convert.hpp"
#include "core/testcases/testfunction.hpp"
#include "core/testcases/testresult.hpp"

using namespace tarvo;
using namespace tarvo::core;
using tarvo::types::TestState;

TEST(TestResult, FixedStateFormsKeepTheirMessage) {
    struct Case { TestResult r; TestState::state s; const char* msg; };
    const Case cases[] = {
        {PassingTestResult(""), TestState::passed, ""},
        {FailingTestResult("Fail to read"), TestState::failed, "Fail to read"},
        {SkippedTestResult("skip"), TestState::skipped, "skip"},
        {FinishedNotSupportedTestResult("none"), TestState::finished_not_supported, "none"},
        {TestResult(TestState::warning, "w"), TestState::warning, "w"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.r.state.value(), c.s);
        EXPECT_EQ(c.r.msg, c.msg);
        EXPECT_EQ(c.r.dressed_msg, "");
    }
    TestResult moved(FailingTestResult("gone"));
    TestResult target = std::move(moved);
    EXPECT_EQ(target.state.value(), TestState::failed);
    EXPECT_EQ(target.msg, "gone");
}

TEST(TestResult, TestFunctionsAreStoredByKey) {
    TestcaseMap table;
    table["2/CFG/4"] = [](Testools&) { return TestResult(PassingTestResult("ok")); };
    Testools tt(nullptr, std::make_shared<TestMessenger>(), nullptr);
    EXPECT_EQ(tt.tinfo, nullptr);
    EXPECT_EQ(table.at("2/CFG/4")(tt).msg, "ok");
}

TEST(BufferConvert, LittleEndianBothWays) {
    const uint8_t two[] = {0x98, 0x1E};
    EXPECT_EQ(convert_from_buf(two, 2), 0x1E98u);
    EXPECT_EQ(convert_from_buf(two, 0), 0u);

    const uint8_t nine[] = {1, 2, 3, 4, 5, 6, 7, 0x88, 0xFF};
    // Eight bytes assemble into the full 64 bits; longer lengths stop at eight.
    EXPECT_EQ(convert_from_buf(nine, 8), 0x8807060504030201ull);
    EXPECT_EQ(convert_from_buf(nine, 100), 0x8807060504030201ull);

    uint8_t out[10] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    convert_to_buf(out, 0x1E98, 0);
    EXPECT_EQ(out[0], 0xAA);
    convert_to_buf(out, 0x1E98, 4);
    EXPECT_EQ(out[0], 0x98);
    EXPECT_EQ(out[1], 0x1E);
    EXPECT_EQ(out[2], 0x00);
    EXPECT_EQ(out[3], 0x00);
    EXPECT_EQ(out[4], 0xAA);
    convert_to_buf(out, 0x0102030405060708ull, 64);
    EXPECT_EQ(out[0], 0x08);
    EXPECT_EQ(out[7], 0x01);
    EXPECT_EQ(out[8], 0xAA);
}
