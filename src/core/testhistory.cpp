#include "core/testhistory.hpp"

#include <utility>

namespace tarvo {

TestHistory::TestHistory(std::vector<core::TestSession> sessions)
    : m_history(std::move(sessions)) {}

void TestHistory::add_session(core::TestSession session) {
    m_history.push_back(std::move(session));
}

std::vector<core::TestSession> TestHistory::history() const { return m_history; }

}  // namespace tarvo
