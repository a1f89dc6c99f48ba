#include "api/devicedirectory.hpp"

#include "api/unavailable.hpp"

namespace tarvo {

namespace {
constexpr const char* what = "Device enumeration";
}

std::vector<core::DeviceInformation> TarvoDeviceServices::devices() {
    say_not_available(what);
    return {};
}

core::DeviceInformation TarvoDeviceServices::current_sut() {
    say_not_available(what);
    return {};
}

core::TargetInformation TarvoDeviceServices::current_sut_target() {
    say_not_available(what);
    return {};
}

bool TarvoDeviceServices::set_sut(SBDF) {
    say_not_available(what);
    return false;
}

}  // namespace tarvo
