#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include <boost/bimap.hpp>

namespace tarvo {
namespace types {

// The outcome or progress of one test case.
class TestState {
public:
    enum state : uint32_t {
        not_started = 0,
        running = 1,
        passed = 2,
        skipped = 3,
        warning = 4,
        failed = 5,
        finished_supported = 6,
        finished_not_supported = 7,
        aborted = 8,
        pickled = 9,
    };

    TestState(state s) : m_state(s) {}

    // The state's printable name; a state the name table lacks gives its
    // enumerator's name.
    std::string str() const;
    // The state's icon as an HTML numeric character reference (no closing
    // semicolon); a state the icon table lacks gives its enumerator's name.
    std::string web() const;

    state value() const { return m_state; }

private:
    state m_state;
};

using state_bimap = boost::bimap<TestState::state, std::string>;

namespace detail {
inline state_bimap make_state_table(
    std::initializer_list<state_bimap::value_type> rows) {
    state_bimap table;
    for (const auto& row : rows) {
        table.insert(row);
    }
    return table;
}
}  // namespace detail

// Printable names of the states. Inline, so the program builds one table
// rather than one for every file that includes this header.
inline const state_bimap state_string = detail::make_state_table({
    {TestState::not_started, "not_started"},
    {TestState::running, "running"},
    {TestState::passed, "passed"},
    {TestState::skipped, "skipped"},
    {TestState::warning, "warning"},
    {TestState::failed, "failed"},
    {TestState::finished_supported, "finished_supported"},
    {TestState::finished_not_supported, "finished_not_supported"},
    {TestState::aborted, "aborted"},
});

// Report icons of the states, as HTML decimal character references.
inline const state_bimap state_web_emoji = detail::make_state_table({
    {TestState::not_started, "&#11093"},
    {TestState::running, "&#128191"},
    {TestState::passed, "&#9989"},
    {TestState::skipped, "&#10145"},
    {TestState::warning, "&#10069"},
    {TestState::failed, "&#10060"},
    {TestState::aborted, "&#10071"},
});

// Writes the state's name, nothing else.
std::ostream& operator<<(std::ostream& os, const TestState& ts);

}  // namespace types
}  // namespace tarvo
