#include "core/devices/targetinformation.hpp"

#include <utility>

namespace tarvo {
namespace core {

TargetInformation::TargetInformation(std::string p_vendor_name, std::string p_device_name,
                                     uint16_t p_vendor_id, uint16_t p_device_id,
                                     std::string p_firmware_rev, phy_speeds p_phys_speed,
                                     link_widths p_link_width, target_types p_type,
                                     form_factors p_ffactor, bool p_adapter, std::string p_spec,
                                     PORT_TYPE_t p_port_type, cxl_types p_cxl_type, bool p_mem2,
                                     bool p_sec2, SBDF p_sbdf, bool p_iscxl)
    : m_vendor_name(std::move(p_vendor_name)),
      m_device_name(std::move(p_device_name)),
      m_vendor_id(p_vendor_id),
      m_device_id(p_device_id),
      m_firmware_rev(std::move(p_firmware_rev)),
      m_phys_speed(p_phys_speed),
      m_link_width(p_link_width),
      m_type(p_type),
      m_ffactor(p_ffactor),
      m_adapter(p_adapter),
      m_spec(std::move(p_spec)),
      m_port_type(p_port_type),
      m_cxl_type(p_cxl_type),
      m_mem2_feature(p_mem2),
      m_sec2_feature(p_sec2),
      m_sbdf(p_sbdf),
      m_iscxl(p_iscxl) {}

}  // namespace core
}  // namespace tarvo
