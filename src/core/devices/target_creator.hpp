#pragma once

#include <cstdint>
#include <string>

#include "common/cxl_types.hpp"
#include "common/sbdf.hpp"
#include "core/devices/targetinformation.hpp"

namespace tarvo {
namespace core {

// Makes the description of one function.
class ITargetCreator {
public:
    virtual TargetInformation create_target() = 0;
    virtual ~ITargetCreator() = default;
};

// Describes one function from its configuration space: its port type from the
// PCI Express Capability (0xBEEF when that cannot be read) and whether it is a
// CXL function (it carries the PCIe DVSEC for CXL Devices or the Test
// Capability DVSEC). The other fields keep their defaults unless set.
class TargetCreator : public ITargetCreator {
public:
    explicit TargetCreator(SBDF sbdf);

    TargetInformation create_target() override;

    TargetCreator& add_vendor_name(std::string name);
    TargetCreator& add_device_name(std::string name);
    TargetCreator& add_vendor_id(uint16_t id);
    TargetCreator& add_device_id(uint16_t id);
    TargetCreator& add_firmware_rev(uint16_t rev);
    TargetCreator& add_phys_speed(phy_speeds speed);
    TargetCreator& add_link_width(link_widths width);
    TargetCreator& add_ffactor(form_factors ffactor);
    TargetCreator& is_adapater(bool adapter);
    TargetCreator& add_spec(std::string spec);
    TargetCreator& add_cxl_type(cxl_types type);
    TargetCreator& is_mem2(bool mem2);
    TargetCreator& is_sec2(bool sec2);

private:
    void add_auto_populated_types(TargetInformation& soft_target);
    TargetInformation build() const;

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
