#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/cxl_types.hpp"
#include "common/logging.hpp"
#include "common/sbdf.hpp"
#include "core/io/hwio/hwio.hpp"
#include "core/io/hwio/register.hpp"

namespace tarvo {
namespace core {

// One PCI function as the test cases see it: its address and names, register
// access by core::Register, capability and DVSEC lookup, BAR decoding, the
// CXL test-algorithm registers, and the CXL properties found by probing.
// Every access goes through the hardware-access object it was given.
// Results are 0 for success and -1 for failure unless noted.
class DevComp {
public:
    DevComp(uint32_t seg, uint32_t bus, uint32_t dev, uint32_t fun, uint32_t vendor_id,
            std::shared_ptr<hwio> hw, std::string vendor_name, std::string device_name,
            PORT_TYPE_t comp_type, int debug);

    uint32_t GetSegNum() const { return m_seg; }
    uint32_t GetBusNum() const { return m_bus; }
    uint32_t GetDevNum() const { return m_dev; }
    uint32_t GetFunNum() const { return m_fun; }
    uint32_t GetSBDF() const { return m_sbdf.sbdf(); }
    PORT_TYPE_t GetCompType() const { return m_comp_type; }
    std::string GetDevName() const { return m_dev_name; }
    std::string GetVendorName() const { return m_ven_name; }
    uint32_t GetVendorId() const { return m_vendor_id; }
    void SetName(std::string device_name);
    bool IsCxl() const { return m_has_cxl_vendor_id; }

    // One register at base_offset + reg.GetOffset(), moved within its dword.
    int ReadPCI(uint64_t base_offset, Register& reg);
    int WritePCI(uint64_t base_offset, Register& reg);

    int GetCapabilityOffset(PCI_CAP_TYPE_t captype, uint64_t& offset);
    int GetExtCapabilityOffset(PCI_CAP_TYPE_t captype, uint64_t& offset);
    // Appends every match; 0 when at least one offset was appended.
    int GetExtCapabilityOffsets(PCI_CAP_TYPE_t captype, std::vector<uint32_t>& caps);
    // Prints its walk on the console when the debug level is 2.
    int GetDVSECOffset(DVSEC_ID_t dvsecid, uint64_t& offset);

    // Base address of memory BAR index (0..5), all ones when it cannot be
    // decoded.
    uint64_t GetBARAddr(int index);

    // Port type from the PCI Express Capability, and the CXL device and Test
    // Capability DVSECs; either DVSEC makes the function a CXL one.
    void PopulateProperties();

    // Forwarded to the hardware-access object: nonzero success, 0 failure.
    int ReadMMIO(unsigned char* buf, uint64_t addr, int len);
    int WriteMMIO(unsigned char* buf, uint64_t addr, int len);
    int ReadPhysMem(unsigned char* buf, uint64_t addr, int len);
    int WritePhysMem(unsigned char* buf, uint64_t addr, int len);
    int ReadACPI(unsigned char* buf, char* ID, int len);
    int ReadFile(unsigned char* buf, std::string filename, int offset, int len);
    // One DOE request and response through the DOE device: 1 or 0.
    int ExchangeDOEObject(unsigned char* buf, int len);

    // "bus:devi.fn:vendor - device" in hexadecimal.
    std::string str() const;

    void SetParentNode(DevComp* parentnode);
    // 0 and the parent, or 1 when there is none.
    int GetParentNode(DevComp** parentnode) const;
    std::vector<std::shared_ptr<DevComp>>* GetChildDevicesPtr() { return &child_devices; }
    bool HasChildren() const { return !child_devices.empty(); }
    void InsertChildDevice(std::shared_ptr<DevComp> device);

    // The DVSECs found by probing, one console line each.
    void DisplayDVSECOffsets() const;

    // Test-algorithm register block of the Test Capability DVSEC.
    int GetTestAlgorithmBaseAddr(uint64_t& base_addr);
    int SetTestAlgoStartAddress1(uint64_t test_register_mem_base_addr, uint64_t val);
    int GetTestAlgoStartAddress1(uint64_t test_register_mem_base_addr, uint64_t& val);
    int SetTestAlgoWriteBackAddress1(uint64_t test_register_mem_base_addr, uint64_t val);
    int GetTestAlgoWriteBackAddress1(uint64_t test_register_mem_base_addr, uint64_t& val);
    int SetTestAlgoIncrement(uint64_t test_register_mem_base_addr, uint64_t val);
    int GetTestAlgoIncrement(uint64_t test_register_mem_base_addr, uint64_t& val);
    int SetTestAlgoPattern(uint64_t test_register_mem_base_addr, uint64_t val);
    int GetTestAlgoPattern(uint64_t test_register_mem_base_addr, uint64_t& val);
    int SetTestAlgoByteMask(uint64_t test_register_mem_base_addr, uint64_t val);
    int GetTestAlgoByteMask(uint64_t test_register_mem_base_addr, uint64_t& val);
    int SetTestAlgoPatternConfiguration(uint64_t test_register_mem_base_addr, uint64_t val);
    int GetTestAlgoPatternConfiguration(uint64_t test_register_mem_base_addr, uint64_t& val);
    int SetTestAlgoAlgorithmConfiguration(uint64_t test_register_mem_base_addr, uint64_t val);
    int GetTestAlgoAlgorithmConfiguration(uint64_t test_register_mem_base_addr, uint64_t& val);
    int SetTestAlgoDeviceErrorInjection(uint64_t test_register_mem_base_addr, uint64_t val);
    int GetTestAlgoDeviceErrorInjection(uint64_t test_register_mem_base_addr, uint64_t& val);
    // Finds the block and writes all eight registers in order, stopping at
    // the first failed write.
    int TestAlgorithmSetup(uint64_t TestAlgoStartAddress1_val,
                           uint64_t TestAlgoWriteBackAddress1_val, uint64_t TestAlgoIncrement_val,
                           uint64_t TestAlgoPattern_val, uint64_t TestAlgoByteMask_val,
                           uint64_t TestAlgoPatternConfiguration_val,
                           uint64_t TestAlgoAlgorithmConfiguration_val,
                           uint64_t TestAlgoDeviceErrorInjection_val);

private:
    static std::string dvsec_enum_to_string(DVSEC_ID_t dvsec_id);
    static uint64_t convert_from_buf(unsigned char* buf, uint64_t len);
    static void convert_to_buf(unsigned char* buf, uint64_t val, uint64_t len);

    // One register of the test-algorithm block at base + its offset.
    int write_test_register(Register&& reg, const char* write_record, const char* write_failed,
                            uint64_t base, uint64_t val);
    int read_test_register(Register&& reg, const char* read_notice, const char* read_failed,
                           uint64_t base, uint64_t& val);

    SBDF m_sbdf;
    uint32_t m_seg;
    uint32_t m_bus;
    uint32_t m_dev;
    uint32_t m_fun;
    uint32_t m_vendor_id;
    uint32_t m_device_id = 0;
    bool m_has_cxl_vendor_id = false;
    uint32_t m_clx_device_id = 0;
    PORT_TYPE_t m_comp_type;
    std::shared_ptr<hwio> m_hw;
    DevComp* ParentNode = nullptr;
    Logger_t m_logger;
    int m_debug;
    std::string m_dev_name;
    std::string m_ven_name;
    uint64_t m_dvsec_addr = 0;
    std::map<DVSEC_ID_t, uint64_t> m_dvsec_offsets_map;
    std::vector<std::shared_ptr<DevComp>> child_devices;
};

}  // namespace core
}  // namespace tarvo
