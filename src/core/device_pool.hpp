#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/devices/devcomp.hpp"

namespace tarvo {
namespace core {

// The device components found, by packed address, with the device under test.
class DevicePool {
public:
    virtual int count() const = 0;
    virtual bool empty() const = 0;
    // The device with that address, or an empty pointer.
    virtual std::shared_ptr<DevComp> device(uint32_t sbdf) const = 0;
    virtual std::vector<std::shared_ptr<DevComp>> device_list() const = 0;
    // 1 and the device under test becomes sbdf when it is held; 0 otherwise.
    virtual int set_sut(uint32_t sbdf) = 0;
    // The device under test, or an empty pointer when none is held.
    virtual std::shared_ptr<DevComp> sut() const = 0;
    virtual ~DevicePool() = default;
};

}  // namespace core
}  // namespace tarvo
