#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "common/logging.hpp"
#include "core/devices/devcomp.hpp"
#include "core/devices/targetinformation.hpp"
#include "core/io/hwio/hwio.hpp"

namespace tarvo {
namespace core {

// Finds the CXL functions of the system.
class DeviceEnumerator {
public:
    virtual std::vector<std::shared_ptr<DevComp>> list_of_devices() = 0;
    virtual std::vector<TargetInformation> list_of_targets() = 0;
    virtual ~DeviceEnumerator() = default;
};

// Reads the configuration space of every function of PCI segment 0 that the
// folder of PCI functions lists and keeps those that carry the PCIe DVSEC for
// CXL Devices or the Test Capability DVSEC, in ascending address order.
class LinuxPCIEDeviceEnumerator : public DeviceEnumerator {
public:
    LinuxPCIEDeviceEnumerator();

    // Device components, all sharing this enumerator's hardware-access object.
    std::vector<std::shared_ptr<DevComp>> list_of_devices() override;
    // Target descriptions; each one found is logged.
    std::vector<TargetInformation> list_of_targets() override;

private:
    // Calls present(seg, bus, dev, fun, vendor_id) for every listed function
    // of segment 0 that answers with a vendor ID other than 0xFFFF.
    using ProbeSink = std::function<void(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)>;
    static void scan(const ProbeSink& present);

    std::shared_ptr<hwio> m_hw;
    Logger_t m_logger;
};

}  // namespace core
}  // namespace tarvo
