// The test-algorithm register block that a CXL device with the Test
// Capability DVSEC exposes in memory space.

#include <iostream>

#include "core/devices/devcomp.hpp"
#include "core/io/hwio/cxl_registers.hpp"

namespace tarvo {
namespace core {
namespace {

// The widest register of the block is 64 bits.
constexpr uint64_t kMaxRegisterBytes = 8;

}  // namespace

int DevComp::GetTestAlgorithmBaseAddr(uint64_t& base_addr) {
    uint64_t dvsec = 0;
    if (GetDVSECOffset(PCIE_DVSECFOR_TEST_CAP, dvsec) != 0) {
        std::cout << "Fail to find PCIe DVSEC for Test Capability offset" << std::endl;
        return -1;
    }
    DVSECCXLTestCapability1 capability;
    if (ReadPCI(dvsec, capability) != 0) {
        std::cout << "Fail to read DVSECCXLTestCapability1" << std::endl;
        return -1;
    }
    DVSECCXLTestConfigurationBaseLow base_low;
    if (ReadPCI(dvsec, base_low) != 0) {
        std::cout << "Fail to read DVSECCXLTestConfigurationBaseLow" << std::endl;
        return -1;
    }
    DVSECCXLTestConfigurationBaseHigh base_high;
    if (ReadPCI(dvsec, base_high) != 0) {
        std::cout << "Fail to read DVSECCXLTestConfigurationBaseHigh" << std::endl;
        return -1;
    }
    uint64_t low = 0;
    uint64_t high = 0;
    base_low.GetValuebyFieldName("BaseLow", low);
    base_high.GetValuebyFieldName("BaseHigh", high);
    const uint64_t base = (high << 32) | (low << 4);
    if (base == 0) {
        // An unprogrammed block: nothing may be written at physical address 0.
        std::cout << "Test Capability DVSEC holds no test configuration base address"
                  << std::endl;
        return -1;
    }
    base_addr = base;
    return 0;
}

int DevComp::write_test_register(Register&& reg, const char* write_record,
                                 const char* write_failed, uint64_t base, uint64_t val) {
    reg.SetValue(val);
    BOOST_LOG_SEV(m_logger, debug_2) << write_record << "0x" << std::hex << val;
    unsigned char buf[kMaxRegisterBytes] = {};
    const uint64_t bytes = reg.GetBytes() < kMaxRegisterBytes ? reg.GetBytes() : kMaxRegisterBytes;
    convert_to_buf(buf, reg.GetValue(), bytes);
    if (WriteMMIO(buf, base + reg.GetOffset(), static_cast<int>(bytes)) == 0) {
        std::cout << write_failed << std::endl;
        return -1;
    }
    return 0;
}

int DevComp::read_test_register(Register&& reg, const char* read_notice,
                                const char* read_failed, uint64_t base, uint64_t& val) {
    std::cout << read_notice << std::endl;
    unsigned char buf[kMaxRegisterBytes] = {};
    const uint64_t bytes = reg.GetBytes() < kMaxRegisterBytes ? reg.GetBytes() : kMaxRegisterBytes;
    if (ReadMMIO(buf, base + reg.GetOffset(), static_cast<int>(bytes)) == 0) {
        std::cout << read_failed << std::endl;
        return -1;
    }
    val = convert_from_buf(buf, bytes);
    return 0;
}

// The Set and Get operations of one register with its four texts: write
// record, failed write, read notice, failed read.
#define TARVO_TEST_ALGO_REGISTER(Name, WriteRecord, WriteFailed, ReadNotice, ReadFailed)      \
    int DevComp::Set##Name(uint64_t test_register_mem_base_addr, uint64_t val) {            \
        return write_test_register(Name(), WriteRecord, WriteFailed,                        \
                                   test_register_mem_base_addr, val);                      \
    }                                                                                       \
    int DevComp::Get##Name(uint64_t test_register_mem_base_addr, uint64_t& val) {           \
        return read_test_register(Name(), ReadNotice, ReadFailed, test_register_mem_base_addr, \
                                  val);                                                     \
    }

TARVO_TEST_ALGO_REGISTER(TestAlgoStartAddress1, "[TestAlgoStartAddress1] = ",
                         "Fail to write to TestAlgoStartAddress1",
                         "Reading Test register TestAlgoStartAddress1",
                         "Fail to read TestAlgoStartAddress1")
TARVO_TEST_ALGO_REGISTER(TestAlgoWriteBackAddress1, "[TestAlgoWiteBackAddress1] = ",
                         "Fail to write to TestAlgoWriteBackAddress1",
                         "Reading Test register TestAlgoWriteBackAddress1",
                         "Fail to read TestAlgoWriteBackAddress1")
TARVO_TEST_ALGO_REGISTER(TestAlgoIncrement, "[TestAlgoIncrement] = ",
                         "Fail to write to TestAlgoIncrement",
                         "Reading Test register TestAlgoIncrement",
                         "Fail to read TestAlgoIncrement")
TARVO_TEST_ALGO_REGISTER(TestAlgoPattern, "[TestAlgoPattern] = ", "Fail to write to TestAlgoPattern",
                         "Reading Test register TestAlgoPattern", "Fail to read TestAlgoPattern")
TARVO_TEST_ALGO_REGISTER(TestAlgoByteMask, "[TestAlgoByteMask] = ",
                         "Fail to write to TestAlgoByteMask",
                         "Reading Test register TestAlgoByteMask ",
                         "Fail to read TestAlgoByteMask ")
TARVO_TEST_ALGO_REGISTER(TestAlgoPatternConfiguration, "[TestAlgoPatternConfiguration] = ",
                         "Fail to write to TestAlgoPatternConfiguration",
                         "Reading Test register TestAlgoPatternConfiguration",
                         "Fail to read TestAlgoPatternConfiguration")
TARVO_TEST_ALGO_REGISTER(TestAlgoAlgorithmConfiguration, "[TestAlgoAlgorithmConfiguration] = ",
                         "Fail to write to TestAlgoAlgorithmConfiguration",
                         "Reading Test register TestAlgoAlgorithmConfiguration",
                         "Fail to read TestAlgoAlgorithmConfiguration")
TARVO_TEST_ALGO_REGISTER(TestAlgoDeviceErrorInjection, "[TestAlgoDeviceErrorInjection] = ",
                         "Fail to write to TestAlgoDeviceErrorInjection",
                         "Reading Test register TestAlgoDeviceErrorInjection",
                         "Fail to read TestAlgoDeviceErrorInjection")

#undef TARVO_TEST_ALGO_REGISTER

int DevComp::TestAlgorithmSetup(uint64_t TestAlgoStartAddress1_val,
                                uint64_t TestAlgoWriteBackAddress1_val,
                                uint64_t TestAlgoIncrement_val, uint64_t TestAlgoPattern_val,
                                uint64_t TestAlgoByteMask_val,
                                uint64_t TestAlgoPatternConfiguration_val,
                                uint64_t TestAlgoAlgorithmConfiguration_val,
                                uint64_t TestAlgoDeviceErrorInjection_val) {
    BOOST_LOG_SEV(m_logger, debug_2) << "TestAlgorithmSetup Starts";
    uint64_t base = 0;
    if (GetTestAlgorithmBaseAddr(base) != 0) {
        BOOST_LOG_SEV(m_logger, debug_2) << "Fail to find Test Algorithms base high and low address.";
        return -1;
    }
    using Setter = int (DevComp::*)(uint64_t, uint64_t);
    const struct {
        Setter set;
        uint64_t val;
    } writes[] = {
        {&DevComp::SetTestAlgoStartAddress1, TestAlgoStartAddress1_val},
        {&DevComp::SetTestAlgoWriteBackAddress1, TestAlgoWriteBackAddress1_val},
        {&DevComp::SetTestAlgoIncrement, TestAlgoIncrement_val},
        {&DevComp::SetTestAlgoPattern, TestAlgoPattern_val},
        {&DevComp::SetTestAlgoByteMask, TestAlgoByteMask_val},
        {&DevComp::SetTestAlgoPatternConfiguration, TestAlgoPatternConfiguration_val},
        {&DevComp::SetTestAlgoAlgorithmConfiguration, TestAlgoAlgorithmConfiguration_val},
        {&DevComp::SetTestAlgoDeviceErrorInjection, TestAlgoDeviceErrorInjection_val},
    };
    for (const auto& write : writes) {
        if ((this->*write.set)(base, write.val) != 0) {
            return -1;
        }
    }
    return 0;
}

}  // namespace core
}  // namespace tarvo
