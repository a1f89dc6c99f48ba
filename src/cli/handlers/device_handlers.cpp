#include "cli/handlers/device_handlers.hpp"

#include <iostream>
#include <regex>
#include <string>

#include "common/sbdf.hpp"
#include "core/devices/deviceinfo.hpp"

namespace cli {
namespace {

// Puts std::cout's number base, fill and adjustment back when it ends.
class CoutFormatGuard {
public:
    CoutFormatGuard() : m_flags(std::cout.flags()), m_fill(std::cout.fill()) {}
    ~CoutFormatGuard() {
        std::cout.flags(m_flags);
        std::cout.fill(m_fill);
    }
    CoutFormatGuard(const CoutFormatGuard&) = delete;
    CoutFormatGuard& operator=(const CoutFormatGuard&) = delete;

private:
    std::ios_base::fmtflags m_flags;
    char m_fill;
};

// The device number of an address has five bits.
constexpr unsigned long kLastDevice = 0x1F;

// Without any CXL device there is no device under test to show.
bool say_when_no_device(LibModules& deps) {
    if (!deps.directory_module->devicelist().empty()) {
        return false;
    }
    std::cout << "No CXL device was found." << std::endl;
    return true;
}

void show_sut(LibModules& deps) {
    if (say_when_no_device(deps)) {
        return;
    }
    CoutFormatGuard guard;
    std::cout << std::hex;
    std::cout << deps.directory_module->current_sut_target().sbdf() << " " << "\tCurrent Target"
              << std::endl;
    std::cout << deps.directory_module->current_sut_target().port_type() << "\tPort Type"
              << std::endl;
    std::cout << "\n\nPort Types as indicated: " << std::endl
              << "PCIE_EP = 0\n"
              << "LEGACY_PCIE_EIP = 1\n"
              << "RP = 4\n"
              << "UP_SWITCH = 0x5\n"
              << "DP_SWITCH = 0x6\n"
              << "PCIE_PCI_BRIDGE = 0x7\n"
              << "PCI_PCIE_BRIDGE = 0x8\n"
              << "RCIEP = 9\n"
              << "RCEC = 0xA\n";
}

void select_sut(const std::string& text, LibModules& deps) {
    static const std::regex format("^0?:?([0-9a-fA-F]{2}):([0-9a-fA-F]{1,2}).([0-7]{1})$",
                                   std::regex::ECMAScript);
    std::smatch match;
    unsigned long device = 0;
    if (std::regex_match(text, match, format)) {
        device = std::stoul(match[2].str(), nullptr, 16);
    }
    if (match.empty() || device > kLastDevice) {
        std::cout << "SUT format not met. Please provide format SEG:BUS:DEV.FUN or BUS:DEV.FUN"
                  << std::endl;
        return;
    }
    const auto bus = static_cast<uint32_t>(std::stoul(match[1].str(), nullptr, 16));
    const auto fun = static_cast<uint32_t>(std::stoul(match[3].str(), nullptr, 10));
    tarvo::core::DeviceInformation selected;
    selected.sbdf = tarvo::SBDF(0, bus, static_cast<uint32_t>(device), fun);
    deps.directory_module->set_sut(selected);
}

void show_list(LibModules& deps) {
    if (say_when_no_device(deps)) {
        return;
    }
    CoutFormatGuard guard;
    for (const auto& device : deps.directory_module->devicelist()) {
        std::cout << std::hex << "[" << device.sbdf << "] " << device.vendor_name << " - "
                  << device.device_name << "\n";
    }
    std::cout << std::hex << deps.directory_module->current_sut().sbdf << " "
              << " Current CXL Device\n"
              << std::endl;
}

}  // namespace

HandleStatus DeviceShowSutHandler::Handle(DeviceArgs request, LibModules& deps) {
    if (request.showSut) {
        show_sut(deps);
        return PASS;
    }
    if (!request.setSut.empty()) {
        select_sut(request.setSut, deps);
        return PASS;
    }
    return AbstractHandler<DeviceArgs>::Handle(request, deps);
}

HandleStatus DeviceSelectSutHandler::Handle(DeviceArgs request, LibModules& deps) {
    return AbstractHandler<DeviceArgs>::Handle(request, deps);
}

HandleStatus DeviceShowListHandler::Handle(DeviceArgs request, LibModules& deps) {
    if (request.showList) {
        show_list(deps);
        return PASS;
    }
    return AbstractHandler<DeviceArgs>::Handle(request, deps);
}

HandleStatus DeviceHelpHandler::Handle(DeviceArgs request, LibModules& deps) {
    if (!request.help) {
        HelpHandler<DeviceArgs>::Handle(request, deps);
    }
    std::cout << "tarvo device [options]\nCheck current system under test.\n\tdevice --sut\n"
                 "Set a device to be tested.\n\tdevice --set Bus:Dev.Fun\n\n";
    return request.help ? PASS : INVALID_INPUT;
}

}  // namespace cli
