#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "core/device_pool.hpp"
#include "core/devices/device_enumerator.hpp"

namespace tarvo {

// The CXL device components of one enumeration, ascending by address; the
// lowest address is the first device under test.
class CXLDevicePool : public core::DevicePool {
public:
    using device_ptr = std::shared_ptr<core::DevComp>;
    using device_vector = std::vector<device_ptr>;

    explicit CXLDevicePool(core::DeviceEnumerator& p_enumerator);

    int count() const override;
    bool empty() const override;
    device_ptr device(uint32_t sbdf) const override;
    device_vector device_list() const override;
    int set_sut(uint32_t sbdf) override;
    device_ptr sut() const override;

private:
    uint32_t m_sut = 0;
    std::map<uint32_t, device_ptr> m_device_map;
};

}  // namespace tarvo
