#pragma once

#include <string>
#include <vector>

#include "common/testdata.hpp"
#include "core/devices/deviceinfo.hpp"
#include "core/devices/targetinformation.hpp"

namespace tarvo {

// The catalogue and the devices, as the commands list them.
class Directory {
public:
    virtual std::vector<types::TestData> default_testlist() = 0;
    virtual std::vector<types::TestData> testlist_sorted_on_group() = 0;
    virtual std::vector<types::TestData> testlist_sorted_on_id() = 0;
    virtual std::vector<types::TestData> testlist_filter_spec(float spec) = 0;
    virtual std::vector<types::TestData> testlist_filter_group(std::string group) = 0;
    virtual std::vector<types::TestData> testlist_filter_id(int id) = 0;
    virtual std::vector<types::TestData> testlist_filter_spec_and_group(float spec,
                                                                        std::string group) = 0;
    virtual std::vector<types::TestData> testlist_filter_spec_and_id(float spec, int id) = 0;
    virtual std::vector<types::TestData> testlist_filter_group_and_id(std::string group,
                                                                      int id) = 0;
    virtual types::TestData testinfo(std::string key) = 0;
    virtual std::vector<core::DeviceInformation> devicelist() = 0;
    virtual core::DeviceInformation current_sut() = 0;
    virtual core::TargetInformation current_sut_target() = 0;
    virtual void set_sut(core::DeviceInformation device) = 0;
    virtual ~Directory() = default;
};

}  // namespace tarvo
