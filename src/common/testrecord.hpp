#pragma once

#include <string>
#include <utility>

#include "common/testdata.hpp"
#include "common/teststate.hpp"

namespace tarvo {
namespace types {

// The outcome of one run of a test case: its entry, the state reached and a note.
class TestRecord : public TestData {
public:
    TestRecord(TestData data, TestState state, std::string note)
        : TestData(std::move(data)), status(state), m_note(std::move(note)) {}

    TestState result() const { return status; }
    std::string note() const { return m_note; }

    TestState status;

protected:
    std::string m_note;
};

}  // namespace types
}  // namespace tarvo
