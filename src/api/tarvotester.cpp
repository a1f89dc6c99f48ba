#include "api/tarvotester.hpp"

#include <iostream>
#include <utility>

namespace tarvo {

TarvoTester::TarvoTester(std::shared_ptr<StagingServices> staging,
                         std::shared_ptr<TestServices> tests,
                         std::shared_ptr<DeviceServices> devices,
                         std::shared_ptr<TestInfoServices> testinfo)
    : m_staging(std::move(staging)),
      m_tests(std::move(tests)),
      m_devices(std::move(devices)),
      m_testinfo(std::move(testinfo)) {}

void TarvoTester::run(unsigned delay) {
    // The queue is taken whole, so a later selection never reruns these tests.
    const std::vector<types::TestData> tests = m_staging->staged();
    m_staging->clear();
    m_tests->run(tests, delay);
}

void TarvoTester::run_async(unsigned delay) { run(delay); }

void TarvoTester::enqueue(std::string spec, std::string group, std::string id) {
    const std::string key = spec + "/" + group + "/" + id;
    const types::TestData entry = m_testinfo->info(key);
    if (entry.key().empty()) {
        std::cout << "No test case " << key << " in the catalogue." << std::endl;
        return;
    }
    m_staging->stage(entry);
}

void TarvoTester::enqueue(types::TestData entry) { m_staging->stage(std::move(entry)); }

void TarvoTester::remove(std::string key) { m_staging->unstage(key); }

void TarvoTester::clear() { m_staging->clear(); }

std::vector<types::TestData> TarvoTester::queue() { return m_staging->staged(); }

void TarvoTester::select_all() { stage_all(m_testinfo->list()); }

void TarvoTester::select_all_of_port(int port_type) {
    stage_all(m_testinfo->list_for_port(static_cast<PORT_TYPE_t>(port_type)));
}

void TarvoTester::stage_all(const std::vector<types::TestData>& entries) {
    for (const auto& entry : entries)
        m_staging->stage(entry);
}

}  // namespace tarvo
