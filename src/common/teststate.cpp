#include "common/teststate.hpp"

namespace tarvo {
namespace types {

namespace {

const char* enumerator_name(TestState::state s) {
    static const char* const names[] = {
        "not_started", "running", "passed", "skipped", "warning", "failed",
        "finished_supported", "finished_not_supported", "aborted", "pickled",
    };
    return s < sizeof(names) / sizeof(names[0]) ? names[s] : "unknown";
}

std::string lookup(const state_bimap& table, TestState::state s) {
    auto it = table.left.find(s);
    return it != table.left.end() ? it->second : std::string(enumerator_name(s));
}

}  // namespace

std::string TestState::str() const { return lookup(state_string, m_state); }

std::string TestState::web() const { return lookup(state_web_emoji, m_state); }

std::ostream& operator<<(std::ostream& os, const TestState& ts) {
    os << ts.str();
    return os;
}

}  // namespace types
}  // namespace tarvo
