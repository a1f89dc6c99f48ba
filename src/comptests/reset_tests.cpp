#include "comptests/reset_tests.hpp"

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/cxl_types.hpp"
#include "common/sleep.hpp"
#include "comptests/buffer_convert.hpp"
#include "comptests/cfg_support.hpp"
#include "comptests/hdm_flr.hpp"
#include "core/devices/devcomp.hpp"
#include "core/io/hwio/cxl_registers.hpp"
#include "core/io/hwio/hwio_creator.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

using support::field;

core::TestResult RST_6(core::Testools& tt) {
    // The not-found text names the shared description when there is one.
    const SBDF named = tt.tinfo ? tt.tinfo->sbdf() : tt.target.sbdf();
    return run_hdm_flr_preservation(tt, {named, "Fail to read DVSECFlexBusCap",
                                         "Fail to read DVSECFlexBusRange1BaseHigh Register"});
}

namespace {

constexpr uint64_t ComponentRegID = 1;
constexpr uint64_t cxl_cache_mem_registers_base_offset = 0x1000;
constexpr uint64_t CXLCapabilityHeaderSize = 4;
constexpr uint32_t CXLCapabilityHeader_ID_Mask = 0xFFFF;
constexpr uint32_t CXLCapabilityHeader_Ptr_Mask = 0xFFF00000;
constexpr uint32_t CXLRASCapabilityHeader_ID = 2;
constexpr uint32_t CXLLinkCapabilityHeader_ID = 4;
constexpr uint64_t total_bytes_Header_Log = 64;

// Register Locator entries are 8 bytes from offset 0xC of the DVSEC; the
// block offset low field counts 64 KiB units.
constexpr uint64_t kLocatorEntriesStart = 0xC;
constexpr uint64_t kLocatorEntryBytes = 8;
constexpr unsigned kBlockOffsetLowShift = 16;
// Everything the test touches lies within the 64 KiB component block.
constexpr uint64_t kComponentBlockSize = 0x10000;
constexpr uint64_t kUndecodedBar = std::numeric_limits<uint64_t>::max();
constexpr uint64_t kMaxResetTimeoutCode = 4;

core::TestResult failed_line(const std::string& text) {
    return core::FailingTestResult(support::line(text));
}

// T1, the wait that CXL Reset Timeout code (0 to 4) encodes: 10 ms, 100 ms,
// 1 s, 10 s, 100 s.
std::chrono::milliseconds reset_timeout(uint64_t code) {
    std::chrono::milliseconds t1(10);
    for (uint64_t i = 0; i < code; ++i) {
        t1 *= 10;
    }
    return t1;
}

// Memory-mapped registers read and written through the test's own
// hardware-access object, with the original value of every register it
// wrote, so that they can be put back.
class MmioRegisters {
public:
    explicit MmioRegisters(core::hwio* hw) : m_hw(hw) {}

    // bytes (at most 8) little-endian at addr.
    bool read(uint64_t addr, int bytes, uint64_t& value) {
        unsigned char buf[8] = {};
        if (m_hw == nullptr || bytes <= 0 || bytes > 8 || m_hw->ReadMMIO(buf, addr, bytes) == 0) {
            return false;
        }
        value = convert_from_buf(buf, static_cast<uint64_t>(bytes));
        return true;
    }

    bool write(uint64_t addr, int bytes, uint64_t value) {
        unsigned char buf[8] = {};
        convert_to_buf(buf, value, static_cast<uint64_t>(bytes));
        return m_hw != nullptr && m_hw->WriteMMIO(buf, addr, bytes) != 0;
    }

    // Read-modify-write of reg at its own width at addr: the fields given
    // take their values, the others keep what was read. A register that
    // could not be read is not written.
    void program(uint64_t addr, core::Register& reg,
                 std::initializer_list<std::pair<const char*, uint64_t>> fields) {
        const int bytes = static_cast<int>(reg.GetBytes());
        uint64_t original = 0;
        if (!read(addr, bytes, original)) {
            return;
        }
        reg.SetValue(original);
        for (const auto& f : fields) {
            reg.SetFieldbyName(f.first, f.second);
        }
        if (write(addr, bytes, reg.GetValue())) {
            m_programmed.push_back({addr, bytes, original});
        }
    }

    // Writes back what the programmed registers held, the last one first.
    void restore() {
        for (auto it = m_programmed.rbegin(); it != m_programmed.rend(); ++it) {
            write(it->addr, it->bytes, it->original);
        }
        m_programmed.clear();
    }

private:
    struct Programmed {
        uint64_t addr;
        int bytes;
        uint64_t original;
    };
    core::hwio* m_hw;
    std::vector<Programmed> m_programmed;
};

// The address of the component register block named by the Register
// Locator DVSEC at dvsec_offset, or a failed result.
std::optional<core::TestResult> find_component_block(core::DevComp& device,
                                                     uint64_t dvsec_offset, uint64_t dvsec_len,
                                                     uint64_t& block_addr) {
    for (uint64_t RegBlock = 0;
         dvsec_len > kLocatorEntriesStart && RegBlock < dvsec_len - kLocatorEntriesStart;
         RegBlock += kLocatorEntryBytes) {
        core::DVSECRegLocatorOffsetLow low;
        core::DVSECRegLocatorOffsetHigh high;
        if (device.ReadPCI(dvsec_offset + RegBlock, low) != 0) {
            return failed_line("Fail to read DVSECRegLocatorOffsetLow");
        }
        if (device.ReadPCI(dvsec_offset + RegBlock, high) != 0) {
            return failed_line("Fail to read DVSECRegLocatorOffsetHigh");
        }
        if (field(low, "RegBlockIdentifier") != ComponentRegID) {
            continue;
        }
        // A BAR that cannot be decoded is no address, nor is a block that
        // would reach past the end of the address space.
        const uint64_t bar = device.GetBARAddr(static_cast<int>(field(low, "RegBlockBIR")));
        const uint64_t offset = (field(low, "RegBlockOffsetLow") << kBlockOffsetLowShift) +
                                (field(high, "RegBlockOffsetHigh") << 32);
        const uint64_t last_start = kUndecodedBar - kComponentBlockSize;
        if (bar == kUndecodedBar || offset > last_start || bar > last_start - offset) {
            break;
        }
        block_addr = bar + offset;
        return std::nullopt;
    }
    return failed_line("Component Register not found");
}

// Reads the RAS state, then programs the RAS and Link registers.
void program_ras_and_link(MmioRegisters& mmio, uint64_t RASCapStruct, uint64_t LinkCapStruct) {
    // First Error Pointer and the Header Log (dword by dword) are read
    // before anything is programmed; the test does not judge them.
    core::CXLRASErrorCapabilityAndControl error_control;
    uint64_t value = 0;
    mmio.read(RASCapStruct + error_control.GetOffset(), 4, value);
    const uint64_t header_log = RASCapStruct + core::CXLRASHeaderLog().GetOffset();
    for (uint64_t i = 0; i < total_bytes_Header_Log; i += 4) {
        if (!mmio.read(header_log + i, 4, value)) {
            break;
        }
    }

    core::CXLRASUncorrectableErrorMask uncorrectable_mask;
    mmio.program(RASCapStruct + uncorrectable_mask.GetOffset(), uncorrectable_mask,
                 {{"ErrorMask", 0x1FFFF}, {"CXL_IDE_Tx_Error_Mask", 1},
                  {"CXL_IDE_Rx_Error_Mask", 1}});
    core::CXLRASUncorrectableErrorSeverity uncorrectable_severity;
    mmio.program(RASCapStruct + uncorrectable_severity.GetOffset(), uncorrectable_severity,
                 {{"ErrorSeverity", 0x1FFFF}, {"CXL_IDE_Tx_Error_Severity", 1},
                  {"CXL_IDE_Rx_Error_Severity", 1}});
    core::CXLRASCorrectableErrorMask correctable_mask;
    mmio.program(RASCapStruct + correctable_mask.GetOffset(), correctable_mask,
                 {{"ErrorMask", 0}});
    mmio.program(RASCapStruct + error_control.GetOffset(), error_control,
                 {{"Poison_Enable", 1}});

    core::CXLLinkLayerCapability layer_cap;
    mmio.program(LinkCapStruct + layer_cap.GetOffset(), layer_cap,
                 {{"CXLLinkVersionSup", 2}, {"LLRWrapValueSup", 0xFF}});
    core::CXLLinkControlAndStatus control_status;
    mmio.program(LinkCapStruct + control_status.GetOffset(), control_status,
                 {{"LL_Init_Stall", 1}, {"LL_Crd_Stall", 1}});
    core::CXLLinkRxCreditControl rx_credit;
    mmio.program(LinkCapStruct + rx_credit.GetOffset(), rx_credit,
                 {{"CacheReqCredits", 0x3FF}, {"CacheRspCredits", 0x3FF},
                  {"CacheDataCredits", 0x3FF}, {"MemReq_RspCredits", 0x3FF},
                  {"MemDataCredits", 0x3FF}});
    core::CXLLinkAckTimerControl ack_timer;
    mmio.program(LinkCapStruct + ack_timer.GetOffset(), ack_timer,
                 {{"AckForceThreshold", 0xFF}, {"AckorCRDFlushRetimer", 0x1FF}});
    core::CXLLinkDefeature defeature;
    mmio.program(LinkCapStruct + defeature.GetOffset(), defeature, {{"MDHDisable", 1}});
}

// Steps up to the start of the reset; mmio records what was programmed, and
// dvsec_offset ends at the PCIe DVSEC for CXL devices.
std::optional<core::TestResult> program_and_start_reset(core::Testools& tt, MmioRegisters& mmio,
                                                        uint64_t& rd_CXLResetTimeout,
                                                        uint64_t& dvsec_offset) {
    core::DevComp& device = *tt.device;
    if (device.GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, dvsec_offset) != 0) {
        return failed_line("Fail to find PCIe DVSEC for CXL Device");
    }
    core::DVSECFlexBusCap cap;
    if (device.ReadPCI(dvsec_offset, cap) != 0) {
        return failed_line("Fail to read DVSECFlexBusCap");
    }
    if (field(cap, "CXLResetCapable") == 0) {
        return failed_line("Device doesn't support CXL reset.");
    }
    rd_CXLResetTimeout = field(cap, "CXLResetTimeout");
    if (rd_CXLResetTimeout > kMaxResetTimeoutCode) {
        std::ostringstream s;
        s << "T1 0x" << std::hex << rd_CXLResetTimeout
          << " is not allowed to be >100b when CXL Reset Capable is 0x1";
        return failed_line(s.str());
    }

    tt.messenger->info_msg("Reading Register Locator DVSEC offset");
    if (device.GetDVSECOffset(REG_LOCATOR_DVSEC, dvsec_offset) != 0) {
        return failed_line("Fail to find Register Locator DVSEC");
    }
    tt.messenger->info_msg("Reading DVSEC Header1 for DVSEC Length information");
    core::DVSECHeader1 header1;
    if (device.ReadPCI(dvsec_offset, header1) != 0) {
        return failed_line("Fail to read DVSECHeader1");
    }
    uint64_t ComponentReg_addr = 0;
    if (auto failed = find_component_block(device, dvsec_offset, field(header1, "DVSECLen"),
                                           ComponentReg_addr)) {
        return failed;
    }

    const uint64_t CacheMemReg = ComponentReg_addr + cxl_cache_mem_registers_base_offset;
    uint64_t value = 0;
    if (!mmio.read(CacheMemReg, 4, value)) {
        return failed_line("Fail to read CXL.cache and CXL.mem Registers");
    }
    core::CXLCapabilityHeader cap_header;
    cap_header.SetValue(value);
    const uint64_t Array_Size = field(cap_header, "Array_Size");

    // Array_Size is 8 bits wide: at most 255 headers follow the first.
    uint32_t CXLRASCapabilityPtr = 0;
    uint32_t CXLLinkCapabilityPtr = 0;
    for (uint64_t offset = CXLCapabilityHeaderSize;
         offset < (Array_Size + 1) * CXLCapabilityHeaderSize; offset += CXLCapabilityHeaderSize) {
        uint64_t header = 0;
        if (!mmio.read(CacheMemReg + offset, 4, header)) {
            continue;
        }
        const uint32_t pointer = static_cast<uint32_t>((header & CXLCapabilityHeader_Ptr_Mask) >> 20);
        switch (header & CXLCapabilityHeader_ID_Mask) {
            case CXLRASCapabilityHeader_ID: CXLRASCapabilityPtr = pointer; break;
            case CXLLinkCapabilityHeader_ID: CXLLinkCapabilityPtr = pointer; break;
            default: break;
        }
    }
    // A pointer of 0 would put the structure on the header array itself.
    if (CXLRASCapabilityPtr == 0) {
        return failed_line("CXL RAS Capability not found");
    }
    if (CXLLinkCapabilityPtr == 0) {
        return failed_line("CXL Link Capability not found");
    }
    program_ras_and_link(mmio, CacheMemReg + CXLRASCapabilityPtr,
                         CacheMemReg + CXLLinkCapabilityPtr);

    if (device.GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, dvsec_offset) != 0) {
        return failed_line("Fail to find PCIe DVSEC for CXL Device");
    }
    core::DVSECFlexBusControl2 control2;
    if (device.ReadPCI(dvsec_offset, control2) != 0) {
        return failed_line("Fail to read DVSECFlexBusControl2");
    }
    control2.SetFieldbyName("InitiateCXLReset", 1);
    if (device.WritePCI(dvsec_offset, control2) != 0) {
        return failed_line("Fail to Write DVSECFlexBusControl2");
    }
    return std::nullopt;
}

}  // namespace

core::TestResult RST_7(core::Testools& tt) {
    tt.messenger->info_msg("14.9.7 CXL Reset Test");
    std::unique_ptr<core::hwio> hw = core::HWIOCreator::create_hwio();
    if (!tt.device) {
        return failed_line("Fail to find PCIe DVSEC for CXL Device");
    }
    MmioRegisters mmio(hw.get());
    uint64_t rd_CXLResetTimeout = 0;
    uint64_t dvsec_offset = 0;
    if (auto failed = program_and_start_reset(tt, mmio, rd_CXLResetTimeout, dvsec_offset)) {
        // No reset was started: what was programmed goes back as it was.
        mmio.restore();
        return std::move(*failed);
    }

    core::DevComp& device = *tt.device;
    core::DVSECCXLStatus2 status2;
    if (device.ReadPCI(dvsec_offset, status2) != 0) {
        return failed_line("Fail to read DVSECCXLStatus2_reg");
    }
    sleep_for(reset_timeout(rd_CXLResetTimeout));
    tt.messenger->info_msg("T1 Timeout value reached");

    // The reset has had its time: it must have completed, without error.
    if (device.ReadPCI(dvsec_offset, status2) != 0) {
        return failed_line("Fail to read DVSECCXLStatus2_reg");
    }
    if (field(status2, "CXLResetError") != 0) {
        return failed_line("CXL Reset Error set after CXL Reset");
    }
    if (field(status2, "CXLResetComplete") == 0) {
        return failed_line("CXL Reset Complete not set after T1");
    }
    return core::PassingTestResult("");
}

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
