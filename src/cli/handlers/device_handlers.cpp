#include "cli/handlers/device_handlers.hpp"

#include <cctype>
#include <iostream>
#include <string>

#include "common/console.hpp"
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
constexpr uint32_t kLastDevice = 0x1F;

// Without any CXL device there is no device under test to show.
bool say_when_no_device(LibModules& deps) {
    if (!deps.directory_module->devicelist().empty()) {
        return false;
    }
    tarvo::say_in_red("No CXL device was found.");
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

bool is_hex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// The address forms "[0][:]BB:D[D]?F": an optional "0" and an optional ":"
// before two hexadecimal bus digits, ":", one or two hexadecimal device
// digits, any one character and a function digit 0 to 7. The optional
// prefix is tried in every combination, longest first, as a regular
// expression would backtrack over it.
bool parse_address(const std::string& text, uint32_t& bus, uint32_t& dev, uint32_t& fun) {
    for (size_t skip_zero : {1, 0}) {
        for (size_t skip_colon : {1, 0}) {
            size_t at = 0;
            if (skip_zero && (at >= text.size() || text[at++] != '0')) continue;
            if (skip_colon && (at >= text.size() || text[at++] != ':')) continue;
            const std::string rest = text.substr(at);
            // BB:D?F or BB:DD?F
            if (rest.size() != 6 && rest.size() != 7) continue;
            const size_t dev_digits = rest.size() - 5;
            if (!is_hex(rest[0]) || !is_hex(rest[1]) || rest[2] != ':') continue;
            if (!is_hex(rest[3]) || (dev_digits == 2 && !is_hex(rest[4]))) continue;
            const char f = rest.back();
            if (f < '0' || f > '7') continue;
            bus = static_cast<uint32_t>(std::stoul(rest.substr(0, 2), nullptr, 16));
            dev = static_cast<uint32_t>(std::stoul(rest.substr(3, dev_digits), nullptr, 16));
            fun = static_cast<uint32_t>(f - '0');
            return true;
        }
    }
    return false;
}

void select_sut(const std::string& text, LibModules& deps) {
    uint32_t bus = 0;
    uint32_t dev = 0;
    uint32_t fun = 0;
    if (!parse_address(text, bus, dev, fun) || dev > kLastDevice) {
        std::cout << "SUT format not met. Please provide format SEG:BUS:DEV.FUN or BUS:DEV.FUN"
                  << std::endl;
        return;
    }
    tarvo::core::DeviceInformation selected;
    selected.sbdf = tarvo::SBDF(0, bus, dev, fun);
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
    return quickstart(request, deps,
                      "tarvo device [options]\nCheck current system under test.\n\tdevice --sut\n"
                      "Set a device to be tested.\n\tdevice --set Bus:Dev.Fun\n\n");
}

}  // namespace cli
