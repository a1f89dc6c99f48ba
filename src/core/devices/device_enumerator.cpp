#include "core/devices/device_enumerator.hpp"

#include "core/devices/target_creator.hpp"
#include "core/io/hwio/hwio_creator.hpp"

namespace tarvo {
namespace core {
namespace {

constexpr uint32_t kScannedSegment = 0;
constexpr uint32_t kBuses = 256;
constexpr uint32_t kDevices = 32;
constexpr uint32_t kFunctions = 8;
constexpr uint32_t kAbsentVendorId = 0xFFFF;

}  // namespace

LinuxPCIEDeviceEnumerator::LinuxPCIEDeviceEnumerator() : m_hw(HWIOCreator::create_hwio()) {}

void LinuxPCIEDeviceEnumerator::scan(const ProbeSink& present) {
    const std::unique_ptr<hwio> probe = HWIOCreator::create_hwio();
    if (!probe) {
        return;
    }
    for (uint32_t bus = 0; bus < kBuses; ++bus) {
        for (uint32_t dev = 0; dev < kDevices; ++dev) {
            for (uint32_t fun = 0; fun < kFunctions; ++fun) {
                unsigned char id[4] = {};
                if (probe->ReadPCI(id, kScannedSegment, bus, dev, fun, 0, 4) == 0) {
                    continue;
                }
                const uint32_t vendor_id = uint32_t{id[0]} | (uint32_t{id[1]} << 8);
                if (vendor_id == kAbsentVendorId) {
                    continue;
                }
                present(kScannedSegment, bus, dev, fun, vendor_id);
            }
        }
    }
}

std::vector<std::shared_ptr<DevComp>> LinuxPCIEDeviceEnumerator::list_of_devices() {
    std::vector<std::shared_ptr<DevComp>> devices;
    scan([&](uint32_t seg, uint32_t bus, uint32_t dev, uint32_t fun, uint32_t vendor_id) {
        auto device = std::make_shared<DevComp>(seg, bus, dev, fun, vendor_id, m_hw,
                                                "Unknown vendor", "CXL Device", RCIEP, 0);
        device->PopulateProperties();
        if (device->IsCxl()) {
            devices.push_back(std::move(device));
        }
    });
    return devices;
}

std::vector<TargetInformation> LinuxPCIEDeviceEnumerator::list_of_targets() {
    std::vector<TargetInformation> targets;
    scan([&](uint32_t seg, uint32_t bus, uint32_t dev, uint32_t fun, uint32_t) {
        TargetCreator creator(SBDF(seg, bus, dev, fun));
        TargetInformation target = creator.create_target();
        if (target.iscxl()) {
            BOOST_LOG_SEV(m_logger, info) << "CXL device found at: " << target.sbdf() << "\n\n";
            targets.push_back(std::move(target));
        }
    });
    return targets;
}

}  // namespace core
}  // namespace tarvo
