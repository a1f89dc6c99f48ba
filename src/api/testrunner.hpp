#pragma once

#include <memory>

#include "common/logging.hpp"
#include "core/testcases/testfunction.hpp"
#include "core/testcases/testmessenger.hpp"
#include "core/testhistory.hpp"
#include "services/testservices.hpp"

namespace tarvo {

// Runs queued tests through the test table and records them in the history.
class TarvoTestServices : public TestServices {
public:
    TarvoTestServices(TestcaseMap testcases, std::shared_ptr<History> history);

    void run(const std::vector<types::TestData>& tests, unsigned delay,
             const DeviceUnderTest& dut) override;
    bool has_testcase(const std::string& key) const override;
    std::vector<std::string> testcase_keys() const override;

private:
    // Runs one test and logs its start and its outcome.
    types::TestRecord run_one(const types::TestData& entry, const DeviceUnderTest& dut);

    TestcaseMap m_testcases;
    std::shared_ptr<History> m_history;
    std::shared_ptr<core::TestMessenger> m_messenger;
    Logger_t m_logger;
};

}  // namespace tarvo
