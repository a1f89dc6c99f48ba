#pragma once

#include <cstdint>
#include <string>

#include "common/sbdf.hpp"
#include "core/devices/targetinformation.hpp"

namespace tarvo {
namespace core {

// One device as the command line lists and selects it: the fields of a
// target description without port type and CXL flag.
struct DeviceInformation {
    std::string vendor_name;
    std::string device_name;
    uint16_t vendor_id = 0;
    uint16_t device_id = 0;
    std::string firmware_rev;
    phy_speeds phys_speed = GT16;
    link_widths link_width = x4;
    target_types type = endpoint;
    form_factors ffactor = cem;
    bool adapter = false;
    std::string spec;
    cxl_types cxl_type = type1;
    bool mem2_feature = false;
    bool sec2_feature = false;
    SBDF sbdf;
};

}  // namespace core
}  // namespace tarvo
