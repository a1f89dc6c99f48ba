#pragma once

#include <cstdint>
#include <string>

#include "common/cxl_types.hpp"
#include "common/sbdf.hpp"

namespace tarvo {
namespace core {

enum phy_speeds : int { GT16 = 0, GT32 = 1 };
enum link_widths : int { x4 = 0, x8 = 1, x16 = 2 };
enum target_types : int { endpoint = 0, rootport = 1, linkext = 2, swch = 3 };
enum form_factors : int { cem = 0, edsff = 1 };
enum cxl_types : int { type1 = 0, type2 = 1, type3 = 2 };

// The static description of one device under test. Enumeration only fills
// the address, the port type and the CXL flag; the rest keeps its defaults.
class TargetInformation {
public:
    TargetInformation() = default;
    TargetInformation(std::string p_vendor_name, std::string p_device_name, uint16_t p_vendor_id,
                      uint16_t p_device_id, std::string p_firmware_rev, phy_speeds p_phys_speed,
                      link_widths p_link_width, target_types p_type, form_factors p_ffactor,
                      bool p_adapter, std::string p_spec, PORT_TYPE_t p_port_type,
                      cxl_types p_cxl_type, bool p_mem2, bool p_sec2, SBDF p_sbdf, bool p_iscxl);

    std::string vendor_name() const { return m_vendor_name; }
    std::string device_name() const { return m_device_name; }
    uint16_t vendor_id() const { return m_vendor_id; }
    uint16_t device_id() const { return m_device_id; }
    std::string firmware_rev() const { return m_firmware_rev; }
    phy_speeds phys_speed() const { return m_phys_speed; }
    link_widths link_width() const { return m_link_width; }
    target_types ttype() const { return m_type; }
    form_factors ffactor() const { return m_ffactor; }
    bool adapter() const { return m_adapter; }
    std::string spec() const { return m_spec; }
    PORT_TYPE_t port_type() const { return m_port_type; }
    cxl_types cxl_type() const { return m_cxl_type; }
    bool ismem2() const { return m_mem2_feature; }
    bool issec2() const { return m_sec2_feature; }
    SBDF sbdf() const { return m_sbdf; }
    bool iscxl() const { return m_iscxl; }

private:
    std::string m_vendor_name;
    std::string m_device_name;
    uint16_t m_vendor_id = 0;
    uint16_t m_device_id = 0;
    std::string m_firmware_rev;
    phy_speeds m_phys_speed = GT16;
    link_widths m_link_width = x4;
    target_types m_type = endpoint;
    form_factors m_ffactor = cem;
    bool m_adapter = false;
    std::string m_spec;
    PORT_TYPE_t m_port_type = PCIE_EP;
    cxl_types m_cxl_type = type1;
    bool m_mem2_feature = false;
    bool m_sec2_feature = false;
    SBDF m_sbdf;
    bool m_iscxl = false;
};

}  // namespace core
}  // namespace tarvo
