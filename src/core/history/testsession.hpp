#pragma once

#include <utility>
#include <vector>

#include "common/testrecord.hpp"

namespace tarvo {
namespace core {

// The records of one session, in the order they were added.
class TestSession {
public:
    TestSession() = default;
    explicit TestSession(std::vector<types::TestRecord> records) : m_session(std::move(records)) {}

    void add_record(types::TestRecord record) { m_session.push_back(std::move(record)); }
    std::vector<types::TestRecord> session() const { return m_session; }

private:
    std::vector<types::TestRecord> m_session;
};

}  // namespace core
}  // namespace tarvo
