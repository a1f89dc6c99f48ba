#include "api/devicedirectory.hpp"

#include <sstream>

#include "common/console.hpp"
#include "core/devices/device_enumerator.hpp"

namespace tarvo {
namespace {

core::DeviceInformation information_of(const core::DevComp& device) {
    core::DeviceInformation info;
    info.vendor_name = device.GetVendorName();
    info.device_name = device.GetDevName();
    info.vendor_id = static_cast<uint16_t>(device.GetVendorId());
    info.sbdf = SBDF(device.GetSegNum(), device.GetBusNum(), device.GetDevNum(),
                     device.GetFunNum());
    return info;
}

}  // namespace

void TarvoDeviceServices::enumerate() {
    if (m_device_pool) {
        return;
    }
    core::LinuxPCIEDeviceEnumerator enumerator;
    m_device_pool = std::make_unique<CXLDevicePool>(enumerator);
    m_target_pool = std::make_unique<TargetPool>(enumerator);
}

std::vector<core::DeviceInformation> TarvoDeviceServices::devices() {
    enumerate();
    std::vector<core::DeviceInformation> list;
    for (const auto& device : m_device_pool->device_list()) {
        list.push_back(information_of(*device));
    }
    return list;
}

core::DeviceInformation TarvoDeviceServices::current_sut() {
    enumerate();
    const auto device = m_device_pool->sut();
    return device ? information_of(*device) : core::DeviceInformation();
}

core::TargetInformation TarvoDeviceServices::current_sut_target() {
    enumerate();
    if (m_target_pool->empty()) {
        return core::TargetInformation();
    }
    return m_target_pool->sut();
}

bool TarvoDeviceServices::set_sut(SBDF address) {
    enumerate();
    const bool device_held = m_device_pool->set_sut(address.sbdf()) == 1;
    const bool target_held = m_target_pool->set_sut(address.sbdf()) == 1;
    if (!device_held || !target_held) {
        std::ostringstream line;
        line << "No CXL device at " << address << "; the device under test is unchanged.";
        say_in_red(line.str());
        return false;
    }
    return true;
}

std::shared_ptr<core::DevComp> TarvoDeviceServices::sut_device() {
    enumerate();
    return m_device_pool->sut();
}

}  // namespace tarvo
