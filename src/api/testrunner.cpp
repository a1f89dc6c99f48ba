#include "api/testrunner.hpp"

#include <utility>

#include "api/unavailable.hpp"

namespace tarvo {

TarvoTestServices::TarvoTestServices(TestcaseMap testcases, std::shared_ptr<History> history)
    : m_testcases(std::move(testcases)), m_history(std::move(history)) {}

void TarvoTestServices::run(const std::vector<types::TestData>&, unsigned) {
    say_not_available("Test execution");
}

}  // namespace tarvo
