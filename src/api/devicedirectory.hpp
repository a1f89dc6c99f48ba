#pragma once

#include <memory>

#include "core/cxl_device_pool.hpp"
#include "core/target_pool.hpp"
#include "services/deviceservices.hpp"

namespace tarvo {

// The CXL devices of the host and the device under test. The host is
// enumerated once per process, at the first request, for both pools; with
// no CXL device every answer is an empty list or a default description.
class TarvoDeviceServices : public DeviceServices {
public:
    std::vector<core::DeviceInformation> devices() override;
    core::DeviceInformation current_sut() override;
    core::TargetInformation current_sut_target() override;
    bool set_sut(SBDF address) override;
    std::shared_ptr<core::DevComp> sut_device() override;

private:
    void enumerate();

    std::unique_ptr<CXLDevicePool> m_device_pool;
    std::unique_ptr<TargetPool> m_target_pool;
};

}  // namespace tarvo
