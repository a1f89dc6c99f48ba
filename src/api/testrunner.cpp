#include "api/testrunner.hpp"

#include <chrono>
#include <exception>
#include <utility>

#include "common/sleep.hpp"
#include "core/io/hwio/hwio_creator.hpp"

namespace tarvo {

namespace {

// Pass and fail records for those outcomes; every other end of a test
// (skipped, not supported, ...) is a finished record. A test that threw is
// shown as a failure, since it says nothing about the device.
severity_level severity_of(types::TestState state) {
    switch (state.value()) {
        case types::TestState::passed: return pass;
        case types::TestState::failed:
        case types::TestState::aborted: return fail;
        default: return finished;
    }
}

// "2/CFG/4 CXL device DVSEC header"; the key alone when the catalogue has no
// name for it.
std::string title_of(const types::TestData& entry) {
    const std::string name = entry.name();
    return name.empty() || name == entry.key() ? entry.key() : entry.key() + " " + name;
}

}  // namespace

TarvoTestServices::TarvoTestServices(TestcaseMap testcases, std::shared_ptr<History> history)
    : m_testcases(std::move(testcases)),
      m_history(std::move(history)),
      m_messenger(std::make_shared<core::TestMessenger>()) {}

bool TarvoTestServices::has_testcase(const std::string& key) const {
    return m_testcases.count(key) > 0;
}

std::vector<std::string> TarvoTestServices::testcase_keys() const {
    std::vector<std::string> keys;
    for (const auto& binding : m_testcases)
        keys.push_back(binding.first);
    return keys;
}

void TarvoTestServices::run(const std::vector<types::TestData>& tests, unsigned delay,
                            const DeviceUnderTest& dut) {
    core::TestSession session;
    for (size_t i = 0; i < tests.size(); ++i) {
        if (i > 0 && delay > 0)
            sleep_for(std::chrono::seconds(delay));
        session.add_record(run_one(tests[i], dut));
    }
    if (!tests.empty())
        m_history->add_session(session);
}

types::TestRecord TarvoTestServices::run_one(const types::TestData& entry,
                                             const DeviceUnderTest& dut) {
    const std::string title = title_of(entry);
    BOOST_LOG_SEV(m_logger, start_test) << title;

    types::TestState state = types::TestState::aborted;
    std::string message;
    const auto binding = m_testcases.find(entry.key());
    if (binding == m_testcases.end() || !binding->second) {
        message = "No test function is bound to " + entry.key() + ".";
    } else {
        try {
            core::Testools tools(dut.device, m_messenger,
                                 std::shared_ptr<core::hwio>(core::HWIOCreator::create_hwio()),
                                 std::make_shared<core::TargetInformation>(dut.target),
                                 dut.target);
            core::TestResult result = binding->second(tools);
            state = result.state;
            message = std::move(result.msg);
        } catch (const std::exception& e) {
            message = e.what();
        } catch (...) {
            message = "The test ended with an unknown error.";
        }
    }

    BOOST_LOG_SEV(m_logger, severity_of(state))
        << title << ": " << state.str() << (message.empty() ? "" : " - ") << message;
    return types::TestRecord(entry, state, message);
}

}  // namespace tarvo
