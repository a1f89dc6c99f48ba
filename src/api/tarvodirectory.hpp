#pragma once

#include <memory>

#include "api/directory.hpp"
#include "services/deviceservices.hpp"
#include "services/testinfoservices.hpp"

namespace tarvo {

class TarvoDirectory : public Directory {
public:
    TarvoDirectory(std::shared_ptr<TestInfoServices> testinfo,
                   std::shared_ptr<DeviceServices> devices);

    std::vector<types::TestData> default_testlist() override;
    std::vector<types::TestData> testlist_sorted_on_group() override;
    std::vector<types::TestData> testlist_sorted_on_id() override;
    std::vector<types::TestData> testlist_filter_spec(float spec) override;
    std::vector<types::TestData> testlist_filter_group(std::string group) override;
    std::vector<types::TestData> testlist_filter_id(int id) override;
    std::vector<types::TestData> testlist_filter_spec_and_group(float spec,
                                                                std::string group) override;
    std::vector<types::TestData> testlist_filter_spec_and_id(float spec, int id) override;
    std::vector<types::TestData> testlist_filter_group_and_id(std::string group,
                                                              int id) override;
    types::TestData testinfo(std::string key) override;
    std::vector<core::DeviceInformation> devicelist() override;
    core::DeviceInformation current_sut() override;
    core::TargetInformation current_sut_target() override;
    void set_sut(core::DeviceInformation device) override;

private:
    std::shared_ptr<TestInfoServices> m_testinfo;
    std::shared_ptr<DeviceServices> m_devices;
};

}  // namespace tarvo
