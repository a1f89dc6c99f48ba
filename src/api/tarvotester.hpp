#pragma once

#include <memory>
#include <string>

#include "api/tester.hpp"
#include "common/logging.hpp"
#include "services/deviceservices.hpp"
#include "services/stagingservices.hpp"
#include "services/testinfoservices.hpp"
#include "services/testservices.hpp"

namespace tarvo {

// The test key of spec, group and number as typed: the spec in the default
// float form ("2.0" and "2" give "2"), the group upper-cased, the number in
// decimal. A part that is not a number stays as typed.
std::string testkey_of(const std::string& spec, const std::string& group, const std::string& id);

class TarvoTester : public Tester {
public:
    TarvoTester(std::shared_ptr<StagingServices> staging, std::shared_ptr<TestServices> tests,
                std::shared_ptr<DeviceServices> devices,
                std::shared_ptr<TestInfoServices> testinfo);

    void run(unsigned delay) override;
    void run_async(unsigned delay) override;
    void enqueue(std::string spec, std::string group, std::string id) override;
    void enqueue(types::TestData entry) override;
    void remove(std::string key) override;
    void clear() override;
    std::vector<types::TestData> queue() override;
    void select_all() override;
    void select_all_of_port(int port_type) override;

private:
    // Whether the test table binds the key; logs a warning that names the
    // key when it does not.
    bool bound(const std::string& key);
    // The catalogue entry of a table key, or one made from the key itself
    // (named by the key) when the catalogue lacks it.
    types::TestData entry_for_key(const std::string& key);

    std::shared_ptr<StagingServices> m_staging;
    std::shared_ptr<TestServices> m_tests;
    std::shared_ptr<DeviceServices> m_devices;
    std::shared_ptr<TestInfoServices> m_testinfo;
    Logger_t m_logger;
};

}  // namespace tarvo
