#pragma once

#include "common/sbdf.hpp"
#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

namespace tarvo {
namespace compliance {

// What tells the two runs of the HDM preservation procedure apart.
struct HdmFlrTexts {
    SBDF named;                        // the function the not-found text names
    const char* cap_read_failed;       // DVSEC CXL Capability unreadable
    const char* base_high_read_failed; // Range 1 Base High unreadable
};

// Writes 0xDEADBEEF as 8 little-endian bytes at the start of memory range 1
// of the bundle's target, resets the function with a Function Level Reset,
// waits one second and checks that the bytes read back are those written.
// The 8 bytes found there are read first and written back once the check is
// done, whatever it found; a range based at address 0 is never written.
core::TestResult run_hdm_flr_preservation(core::Testools& tt, const HdmFlrTexts& texts);

}  // namespace compliance
}  // namespace tarvo
