#pragma once

#include <string>
#include <utility>

#include "common/teststate.hpp"

namespace tarvo {
namespace core {

// What a test case returns: the state reached and a message.
class TestResult {
public:
    TestResult(types::TestState state, std::string msg) : state(state), msg(std::move(msg)) {}
    TestResult(types::TestState state, std::string msg, std::string dressed_msg)
        : state(state), msg(std::move(msg)), dressed_msg(std::move(dressed_msg)) {}

    types::TestState state;
    std::string msg;
    std::string dressed_msg;
};

class PassingTestResult : public TestResult {
public:
    explicit PassingTestResult(std::string msg)
        : TestResult(types::TestState::passed, std::move(msg)) {}
};

class FinishedNotSupportedTestResult : public TestResult {
public:
    explicit FinishedNotSupportedTestResult(std::string msg)
        : TestResult(types::TestState::finished_not_supported, std::move(msg)) {}
};

class FailingTestResult : public TestResult {
public:
    explicit FailingTestResult(std::string msg)
        : TestResult(types::TestState::failed, std::move(msg)) {}
};

class SkippedTestResult : public TestResult {
public:
    explicit SkippedTestResult(std::string msg)
        : TestResult(types::TestState::skipped, std::move(msg)) {}
};

}  // namespace core
}  // namespace tarvo
