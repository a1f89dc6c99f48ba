#pragma once

#include <memory>
#include <utility>

#include "core/devices/targetinformation.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace core {

class DevComp;
class hwio;

// What a test function is handed: the device under test, the messenger,
// a hardware-access object and the device's description.
class Testools {
public:
    // Leaves tinfo empty and target default-constructed.
    Testools(std::shared_ptr<DevComp> device, std::shared_ptr<TestMessenger> messenger,
             std::shared_ptr<hwio> hw)
        : device(std::move(device)), messenger(std::move(messenger)), hw(std::move(hw)) {}
    Testools(std::shared_ptr<DevComp> device, std::shared_ptr<TestMessenger> messenger,
             std::shared_ptr<hwio> hw, std::shared_ptr<TargetInformation> tinfo,
             TargetInformation target)
        : device(std::move(device)),
          messenger(std::move(messenger)),
          hw(std::move(hw)),
          tinfo(std::move(tinfo)),
          target(std::move(target)) {}

    std::shared_ptr<DevComp> device;
    std::shared_ptr<TestMessenger> messenger;
    std::shared_ptr<hwio> hw;
    std::shared_ptr<TargetInformation> tinfo;
    TargetInformation target;
};

}  // namespace core
}  // namespace tarvo
