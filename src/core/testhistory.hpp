#pragma once

#include <vector>

#include "core/history/testsession.hpp"

namespace tarvo {

// The store of every session of the process.
class History {
public:
    virtual void add_session(core::TestSession session) = 0;
    virtual std::vector<core::TestSession> history() const = 0;
    virtual ~History() = default;
};

// The history in memory: it only grows, and readers receive copies.
class TestHistory : public History {
public:
    TestHistory() = default;
    explicit TestHistory(std::vector<core::TestSession> sessions);

    void add_session(core::TestSession session) override;
    std::vector<core::TestSession> history() const override;

private:
    std::vector<core::TestSession> m_history;
};

}  // namespace tarvo
