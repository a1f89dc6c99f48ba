#pragma once

#include "services/deviceservices.hpp"

namespace tarvo {

// The CXL devices of the host and the device under test.
class TarvoDeviceServices : public DeviceServices {
public:
    std::vector<core::DeviceInformation> devices() override;
    core::DeviceInformation current_sut() override;
    core::TargetInformation current_sut_target() override;
    bool set_sut(SBDF address) override;
};

}  // namespace tarvo
