#include "core/devices/target_creator.hpp"

#include <memory>
#include <utility>

#include "core/io/hwio/cxl_registers.hpp"
#include "core/io/hwio/hwio_creator.hpp"
#include "core/io/offset_retriever.hpp"

namespace tarvo {
namespace core {
namespace {
// Port type of a function whose PCI Express Capability cannot be read; it is
// none of PORT_TYPE_t's values.
constexpr uint32_t kUnknownPortType = 0xBEEF;
}  // namespace

TargetCreator::TargetCreator(SBDF sbdf) : m_sbdf(sbdf) {}

TargetInformation TargetCreator::build() const {
    return TargetInformation(m_vendor_name, m_device_name, m_vendor_id, m_device_id,
                             m_firmware_rev, m_phys_speed, m_link_width, m_type, m_ffactor,
                             m_adapter, m_spec, m_port_type, m_cxl_type, m_mem2_feature,
                             m_sec2_feature, m_sbdf, m_iscxl);
}

TargetInformation TargetCreator::create_target() {
    m_port_type = static_cast<PORT_TYPE_t>(kUnknownPortType);
    TargetInformation provisional = build();
    add_auto_populated_types(provisional);
    return build();
}

void TargetCreator::add_auto_populated_types(TargetInformation& soft_target) {
    io::OffsetRetriever retriever(soft_target);
    uint64_t pcie_cap = 0;
    if (retriever.capability_offset(PCIE_CAP_STRUCTURE, pcie_cap) == 0) {
        const std::unique_ptr<hwio> hw = HWIOCreator::create_hwio();
        PCIeCapReg cap_reg;
        uint64_t port_type = 0;
        if (hw && hw->ReadPCI(soft_target.sbdf(), pcie_cap, cap_reg) == 0 &&
            cap_reg.GetValuebyFieldName("DevPortType", port_type) == 0) {
            m_port_type = static_cast<PORT_TYPE_t>(port_type);
        }
    }
    uint64_t dvsec = 0;
    if (retriever.dvsec_offset(PCIE_DVSEC_FOR_CXL_DEV, dvsec) == 0) {
        m_iscxl = true;
    }
    if (retriever.dvsec_offset(PCIE_DVSECFOR_TEST_CAP, dvsec) == 0) {
        m_iscxl = true;
    }
}

TargetCreator& TargetCreator::add_vendor_name(std::string name) {
    m_vendor_name = std::move(name);
    return *this;
}
TargetCreator& TargetCreator::add_device_name(std::string name) {
    m_device_name = std::move(name);
    return *this;
}
TargetCreator& TargetCreator::add_vendor_id(uint16_t id) {
    m_vendor_id = id;
    return *this;
}
TargetCreator& TargetCreator::add_device_id(uint16_t id) {
    m_device_id = id;
    return *this;
}
TargetCreator& TargetCreator::add_firmware_rev(uint16_t rev) {
    m_firmware_rev = std::to_string(rev);
    return *this;
}
TargetCreator& TargetCreator::add_phys_speed(phy_speeds speed) {
    m_phys_speed = speed;
    return *this;
}
TargetCreator& TargetCreator::add_link_width(link_widths width) {
    m_link_width = width;
    return *this;
}
TargetCreator& TargetCreator::add_ffactor(form_factors ffactor) {
    m_ffactor = ffactor;
    return *this;
}
TargetCreator& TargetCreator::is_adapater(bool adapter) {
    m_adapter = adapter;
    return *this;
}
TargetCreator& TargetCreator::add_spec(std::string spec) {
    m_spec = std::move(spec);
    return *this;
}
TargetCreator& TargetCreator::add_cxl_type(cxl_types type) {
    m_cxl_type = type;
    return *this;
}
TargetCreator& TargetCreator::is_mem2(bool mem2) {
    m_mem2_feature = mem2;
    return *this;
}
TargetCreator& TargetCreator::is_sec2(bool sec2) {
    m_sec2_feature = sec2;
    return *this;
}

}  // namespace core
}  // namespace tarvo
