#pragma once

// What the test cases that reach the device under test through its target
// description share (the CXL 1.1 configuration tests and the Function Level
// Reset test): the location of the PCIe DVSEC for CXL devices and register
// access through a hardware-access object of the test's own.

#include <cstdint>
#include <memory>
#include <optional>

#include "common/sbdf.hpp"
#include "core/io/hwio/hwio.hpp"
#include "core/io/hwio/register.hpp"
#include "core/io/offset_retriever.hpp"
#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

namespace tarvo {
namespace compliance {

// The PCIe DVSEC for CXL devices of the bundle's target, with the retriever
// and the hardware-access object one test uses; both are released with it.
class TargetDvsec {
public:
    // Without own_hwio no hardware-access object is made, and every register
    // access fails.
    explicit TargetDvsec(core::Testools& tt, bool own_hwio = true);

    // The location step: logs the search, looks the DVSEC up and logs the
    // offset found. Empty when found; otherwise the failed result that ends
    // the test, naming the function `named` (by default the target's).
    std::optional<core::TestResult> locate(SBDF named);
    std::optional<core::TestResult> locate() { return locate(sbdf()); }

    // One register at the DVSEC (or at base) plus its own offset: 0 on
    // success, -1 on failure.
    int read(core::Register& reg) { return read_at(m_offset, reg); }
    int write(core::Register& reg) { return write_at(m_offset, reg); }
    int read_at(uint64_t base, core::Register& reg);
    int write_at(uint64_t base, core::Register& reg);

    // nullptr without own_hwio.
    core::hwio* hw() { return m_hw.get(); }
    const io::OffsetRetriever& retriever() const { return m_retriever; }
    uint64_t offset() const { return m_offset; }
    SBDF sbdf() const { return m_sbdf; }

private:
    core::Testools& m_tt;
    io::OffsetRetriever m_retriever;
    std::unique_ptr<core::hwio> m_hw;
    SBDF m_sbdf;
    uint64_t m_offset = 0;
};

}  // namespace compliance
}  // namespace tarvo
