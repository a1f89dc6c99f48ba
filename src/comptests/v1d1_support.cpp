#include "comptests/v1d1_support.hpp"

#include "common/cxl_types.hpp"
#include "core/io/hwio/hwio_creator.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace compliance {

TargetDvsec::TargetDvsec(core::Testools& tt, bool own_hwio)
    : m_tt(tt),
      m_retriever(tt.target),
      m_hw(own_hwio ? core::HWIOCreator::create_hwio() : nullptr),
      m_sbdf(tt.target.sbdf()) {}

std::optional<core::TestResult> TargetDvsec::locate(SBDF named) {
    m_tt.messenger->field_msg("Checking offset for DVSEC CXL", 0u,
                              "Offset location for DVSEC Offset", true);
    if (m_retriever.dvsec_offset(PCIE_DVSEC_FOR_CXL_DEV, m_offset) != 0) {
        return core::FailingTestResult("Fail to find PCIe DVSEC for CXL Device at " +
                                       named.str());
    }
    m_tt.messenger->field_msg("dvsec_offset", static_cast<uint32_t>(m_offset),
                              "expected existence only", true);
    return std::nullopt;
}

int TargetDvsec::read_at(uint64_t base, core::Register& reg) {
    return m_hw ? m_hw->ReadPCI(m_sbdf, base, reg) : -1;
}

int TargetDvsec::write_at(uint64_t base, core::Register& reg) {
    return m_hw ? m_hw->WritePCI(m_sbdf, base, reg) : -1;
}

}  // namespace compliance
}  // namespace tarvo
