#include "core/cxl_device_pool.hpp"

#include "common/utility.hpp"

namespace tarvo {

CXLDevicePool::CXLDevicePool(core::DeviceEnumerator& p_enumerator) {
    const device_vector devices = p_enumerator.list_of_devices();
    for (const device_ptr& device : devices) {
        if (device) {
            m_device_map[device->GetSBDF()] = device;
        }
    }
    if (!devices.empty() && devices.front()) {
        m_sut = devices.front()->GetSBDF();
    }
}

int CXLDevicePool::count() const { return static_cast<int>(m_device_map.size()); }

bool CXLDevicePool::empty() const { return m_device_map.empty(); }

CXLDevicePool::device_ptr CXLDevicePool::device(uint32_t sbdf) const {
    const auto found = m_device_map.find(sbdf);
    return found != m_device_map.end() ? found->second : device_ptr();
}

CXLDevicePool::device_vector CXLDevicePool::device_list() const {
    device_vector devices;
    devices.reserve(m_device_map.size());
    MapValueToVec(m_device_map, devices);
    return devices;
}

int CXLDevicePool::set_sut(uint32_t sbdf) {
    if (m_device_map.count(sbdf) == 0) {
        return 0;
    }
    m_sut = sbdf;
    return 1;
}

CXLDevicePool::device_ptr CXLDevicePool::sut() const { return device(m_sut); }

}  // namespace tarvo
