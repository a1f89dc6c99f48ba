#include "core/devices/devcomp.hpp"

#include <cstdio>
#include <iostream>
#include <utility>

#include "core/io/capability_walk.hpp"
#include "core/io/hwio/cxl_registers.hpp"

namespace tarvo {
namespace core {
namespace {

constexpr uint64_t kAllOnes = ~uint64_t{0};
constexpr int kBarCount = 6;
constexpr int kFirstBarOffset = 0x10;
// Largest length handed to the DOE device for one exchange.
constexpr int kDOEExchangeLength = 0x40001;

// Console lines of a DVSEC lookup at debug level 2.
class ConsoleDvsecTrace : public io::DvsecWalkObserver {
public:
    void header_read_failed() override {
        std::cout << "GetDVSECOffset ReadPCI cap offset fail " << std::endl;
    }
    void null_header() override { std::cout << "GetDVSECOffset Null CapHeader fail" << std::endl; }
    void cap_id_unreadable() override {
        std::cout << "GetDVSECOffset PCIeExtCapId value failed" << std::endl;
    }
    void dvsec_seen(uint32_t wanted_dvsec_id, uint64_t vendor_id, uint64_t dvsec_id) override {
        std::cout << std::hex << "Vendor_ID Expected: " << CXL_DVSEC_VENDOR_ID
                  << " val: " << vendor_id << std::endl;
        std::cout << "DVSEC_ID Expected: " << wanted_dvsec_id << " val: " << dvsec_id
                  << std::endl;
    }
};

}  // namespace

DevComp::DevComp(uint32_t seg, uint32_t bus, uint32_t dev, uint32_t fun, uint32_t vendor_id,
                 std::shared_ptr<hwio> hw, std::string vendor_name, std::string device_name,
                 PORT_TYPE_t comp_type, int debug)
    : m_sbdf(seg, bus, dev, fun),
      m_seg(seg),
      m_bus(bus),
      m_dev(dev),
      m_fun(fun),
      m_vendor_id(vendor_id),
      m_comp_type(comp_type),
      m_hw(std::move(hw)),
      m_debug(debug),
      m_dev_name(std::move(device_name)),
      m_ven_name(std::move(vendor_name)) {}

void DevComp::SetName(std::string device_name) { m_dev_name = std::move(device_name); }

int DevComp::ReadPCI(uint64_t base_offset, Register& reg) {
    return m_hw ? read_config_register(*m_hw, m_sbdf, base_offset, reg)
                : -1;
}

int DevComp::WritePCI(uint64_t base_offset, Register& reg) {
    return m_hw ? write_config_register(*m_hw, m_sbdf, base_offset, reg)
                : -1;
}

namespace {
io::ConfigReader reader_of(DevComp& device) {
    return [&device](uint64_t base, Register& reg) { return device.ReadPCI(base, reg); };
}
}  // namespace

int DevComp::GetCapabilityOffset(PCI_CAP_TYPE_t captype, uint64_t& offset) {
    return io::find_capability(reader_of(*this), captype, offset);
}

int DevComp::GetExtCapabilityOffset(PCI_CAP_TYPE_t captype, uint64_t& offset) {
    return io::find_ext_capability(reader_of(*this), captype, offset);
}

int DevComp::GetExtCapabilityOffsets(PCI_CAP_TYPE_t captype, std::vector<uint32_t>& caps) {
    bool appended = false;
    io::find_ext_capabilities(reader_of(*this), captype, [&](uint64_t at) {
        caps.push_back(static_cast<uint32_t>(at));
        appended = true;
    });
    return appended ? 0 : -1;
}

int DevComp::GetDVSECOffset(DVSEC_ID_t dvsecid, uint64_t& offset) {
    if (m_debug != 2) {
        return io::find_dvsec(reader_of(*this), dvsecid, offset);
    }
    std::cout << "GetDVSECOffset  Total loop count = " << io::kMaxExtCapabilities << std::endl;
    ConsoleDvsecTrace trace;
    return io::find_dvsec(reader_of(*this), dvsecid, offset, &trace);
}

uint64_t DevComp::GetBARAddr(int index) {
    uint64_t value = 0;
    if (index >= 0 && index < kBarCount && m_hw) {
        const int offset = kFirstBarOffset + 4 * index;
        unsigned char low[4] = {};
        if (m_hw->ReadPCI(low, m_seg, m_bus, m_dev, m_fun, offset, 4) != 0) {
            value = convert_from_buf(low, 4);
            const bool io_space = (value & 0x1) != 0;
            const bool is_64bit = (value & 0x4) != 0;
            if (io_space || (is_64bit && index == kBarCount - 1)) {
                // An I/O BAR has no memory address, and the high half of a
                // 64-bit BAR cannot lie past the last BAR.
                value = 0;
            } else if (is_64bit) {
                unsigned char high[4] = {};
                m_hw->ReadPCI(high, m_seg, m_bus, m_dev, m_fun, offset + 4, 4);
                value |= convert_from_buf(high, 4) << 32;
            }
            value &= ~uint64_t{0xF};
        }
    }
    if (value == 0) {
        std::cout << "Fail to find given BAR index" << index << std::endl;
        return kAllOnes;
    }
    return value;
}

void DevComp::PopulateProperties() {
    uint64_t pcie_cap = 0;
    if (GetCapabilityOffset(PCIE_CAP_STRUCTURE, pcie_cap) == 0) {
        PCIeCapReg cap_reg;
        uint64_t port_type = 0;
        if (ReadPCI(pcie_cap, cap_reg) == 0 &&
            cap_reg.GetValuebyFieldName("DevPortType", port_type) == 0) {
            m_comp_type = static_cast<PORT_TYPE_t>(port_type);
        }
    }
    for (DVSEC_ID_t id : {PCIE_DVSEC_FOR_CXL_DEV, PCIE_DVSECFOR_TEST_CAP}) {
        uint64_t offset = 0;
        if (GetDVSECOffset(id, offset) == 0) {
            m_has_cxl_vendor_id = true;
            m_dvsec_offsets_map.emplace(id, offset);
        }
    }
}

int DevComp::ReadMMIO(unsigned char* buf, uint64_t addr, int len) {
    return m_hw ? m_hw->ReadMMIO(buf, addr, len) : 0;
}

int DevComp::WriteMMIO(unsigned char* buf, uint64_t addr, int len) {
    return m_hw ? m_hw->WriteMMIO(buf, addr, len) : 0;
}

int DevComp::ReadPhysMem(unsigned char* buf, uint64_t addr, int len) {
    return m_hw ? m_hw->ReadPhysMem(buf, addr, len) : 0;
}

int DevComp::WritePhysMem(unsigned char* buf, uint64_t addr, int len) {
    return m_hw ? m_hw->WritePhysMem(buf, addr, len) : 0;
}

int DevComp::ReadACPI(unsigned char* buf, char* ID, int len) {
    return m_hw ? m_hw->ReadACPI(buf, ID, len) : 0;
}

int DevComp::ReadFile(unsigned char* buf, std::string filename, int offset, int len) {
    return m_hw ? m_hw->ReadFile(buf, std::move(filename), offset, len) : 0;
}

int DevComp::ExchangeDOEObject(unsigned char* buf, int len) {
    // Never more than the caller's buffer holds.
    const int length = len < 0 ? 0 : (len < kDOEExchangeLength ? len : kDOEExchangeLength);
    if (!m_hw || m_hw->WriteDOE(buf, length) == 0) {
        return 0;
    }
    return m_hw->ReadDOE(buf, length) != 0 ? 1 : 0;
}

std::string DevComp::str() const {
    const char* format = "%02x:%04x.%02x:%s - %s";
    const int size = std::snprintf(nullptr, 0, format, m_bus, m_dev, m_fun, m_ven_name.c_str(),
                                   m_dev_name.c_str());
    if (size <= 0) {
        return std::string();
    }
    std::string text(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, m_bus, m_dev, m_fun, m_ven_name.c_str(),
                  m_dev_name.c_str());
    text.resize(static_cast<size_t>(size));
    return text;
}

void DevComp::SetParentNode(DevComp* parentnode) { ParentNode = parentnode; }

int DevComp::GetParentNode(DevComp** parentnode) const {
    if (ParentNode == nullptr) {
        return 1;
    }
    *parentnode = ParentNode;
    return 0;
}

void DevComp::InsertChildDevice(std::shared_ptr<DevComp> device) {
    child_devices.push_back(std::move(device));
}

void DevComp::DisplayDVSECOffsets() const {
    if (m_dvsec_offsets_map.empty()) {
        std::cout << "No DVSEC offsets discovered" << std::endl;
        return;
    }
    for (const auto& entry : m_dvsec_offsets_map) {
        std::cout << dvsec_enum_to_string(entry.first) << " Offset: 0x" << std::hex
                  << entry.second << std::endl;
    }
}

std::string DevComp::dvsec_enum_to_string(DVSEC_ID_t dvsec_id) {
    switch (dvsec_id) {
        case PCIE_DVSEC_FOR_CXL_DEV:
            return "DVSEC FOR CXL DEVICE";
        case PCIE_DVSECFOR_TEST_CAP:
            return "DVSEC FOR TEST CAPABILITY";
        default:
            return "UNKNOWN DVSEC ID";
    }
}

uint64_t DevComp::convert_from_buf(unsigned char* buf, uint64_t len) {
    uint64_t value = 0;
    for (uint64_t i = 0; i < len && i < 8; ++i) {
        value |= uint64_t{buf[i]} << (8 * i);
    }
    return value;
}

void DevComp::convert_to_buf(unsigned char* buf, uint64_t val, uint64_t len) {
    for (uint64_t i = 0; i < len; ++i) {
        buf[i] = static_cast<unsigned char>(val & 0xFF);
        val >>= 8;
    }
}

}  // namespace core
}  // namespace tarvo
