#pragma once

#include <memory>

#include "core/testcases/testfunction.hpp"
#include "core/testhistory.hpp"
#include "services/testservices.hpp"

namespace tarvo {

// Runs queued tests through the test table and records them in the history.
class TarvoTestServices : public TestServices {
public:
    TarvoTestServices(TestcaseMap testcases, std::shared_ptr<History> history);

    void run(const std::vector<types::TestData>& tests, unsigned delay) override;

    const TestcaseMap& testcases() const { return m_testcases; }

private:
    TestcaseMap m_testcases;
    std::shared_ptr<History> m_history;
};

}  // namespace tarvo
