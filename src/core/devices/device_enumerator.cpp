#include "core/devices/device_enumerator.hpp"

#include <set>
#include <tuple>

#include "core/devices/target_creator.hpp"
#include "core/io/hwio/hwio_creator.hpp"

namespace tarvo {
namespace core {
namespace {

constexpr uint32_t kScannedSegment = 0;
constexpr uint32_t kDevices = 32;
constexpr uint32_t kFunctions = 8;
constexpr uint32_t kAbsentVendorId = 0xFFFF;

// The value of the n lower-case hexadecimal digits at text; false when one
// of them is not such a digit (the end of text included, so nothing past it
// is read).
bool read_hex(const char* text, int n, uint32_t& value) {
    value = 0;
    for (int i = 0; i < n; ++i) {
        const char c = text[i];
        uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else {
            return false;
        }
        value = (value << 4) | digit;
    }
    return true;
}

// Bus, device and function; ordered as the nested ascending walk of them.
using Function = std::tuple<uint32_t, uint32_t, uint32_t>;

// The segment-0 function a name of the folder of PCI functions stands for:
// only a name that the configuration file of such a function is found under
// ("%04x:%02x:%02x.%x", lower case, device below 32, function below 8)
// counts; any other name is not one the scan reads.
bool segment0_function(const char* name, Function& function) {
    uint32_t seg = 0;
    uint32_t bus = 0;
    uint32_t dev = 0;
    uint32_t fun = 0;
    if (!read_hex(name, 4, seg) || name[4] != ':' || !read_hex(name + 5, 2, bus) ||
        name[7] != ':' || !read_hex(name + 8, 2, dev) || name[10] != '.' ||
        !read_hex(name + 11, 1, fun) || name[12] != '\0') {
        return false;
    }
    if (seg != kScannedSegment || dev >= kDevices || fun >= kFunctions) {
        return false;
    }
    function = Function{bus, dev, fun};
    return true;
}

}  // namespace

LinuxPCIEDeviceEnumerator::LinuxPCIEDeviceEnumerator() : m_hw(HWIOCreator::create_hwio()) {}

// Reads only the functions the folder lists now, in ascending address order
// (bus, device, function): the same functions, order and results as probing
// all 65,536 addresses of the segment, at the cost of the functions present.
void LinuxPCIEDeviceEnumerator::scan(const ProbeSink& present) {
    const std::unique_ptr<hwio> probe = HWIOCreator::create_hwio();
    if (!probe) {
        return;
    }
    // Ordered and free of repeats; never more than the segment's addresses,
    // whatever the folder holds.
    std::set<Function> listed;
    HWIOCreator::list_pci_functions([&listed](const char* name) {
        Function function;
        if (name != nullptr && segment0_function(name, function)) {
            listed.insert(function);
        }
    });
    for (const auto& [bus, dev, fun] : listed) {
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
