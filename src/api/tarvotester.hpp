#pragma once

#include <memory>

#include "api/tester.hpp"
#include "services/deviceservices.hpp"
#include "services/stagingservices.hpp"
#include "services/testinfoservices.hpp"
#include "services/testservices.hpp"

namespace tarvo {

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
    void stage_all(const std::vector<types::TestData>& entries);

    std::shared_ptr<StagingServices> m_staging;
    std::shared_ptr<TestServices> m_tests;
    std::shared_ptr<DeviceServices> m_devices;
    std::shared_ptr<TestInfoServices> m_testinfo;
};

}  // namespace tarvo
