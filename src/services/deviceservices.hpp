#pragma once

#include <memory>
#include <vector>

#include "common/sbdf.hpp"
#include "core/devices/devcomp.hpp"
#include "core/devices/deviceinfo.hpp"
#include "core/devices/targetinformation.hpp"

namespace tarvo {

// The CXL devices found and the device under test.
class DeviceServices {
public:
    virtual std::vector<core::DeviceInformation> devices() = 0;
    virtual core::DeviceInformation current_sut() = 0;
    virtual core::TargetInformation current_sut_target() = 0;
    // Makes the device at this address the device under test; false when no
    // device found is at that address.
    virtual bool set_sut(SBDF address) = 0;
    // The device component of the device under test, for the test bundle;
    // empty when no CXL device was found (or the service holds none).
    virtual std::shared_ptr<core::DevComp> sut_device() { return nullptr; }
    virtual ~DeviceServices() = default;
};

}  // namespace tarvo
