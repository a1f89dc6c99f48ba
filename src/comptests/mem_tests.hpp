#pragma once

// The memory tests of CXL 2.0 memory devices: how the PCIe DVSEC for CXL
// devices describes memory ranges 1 and 2. They only read configuration space.

#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

namespace comptests2_0 {

// Range 1 Size Low: Memory Class 0 or 1, Desired Interleave 0, 1 or 2.
tarvo::core::TestResult MEM_1(tarvo::core::Testools& tt);
// A memory-capable device with two HDM ranges: Range 2 Size Low with Media
// Type 0, 1 or 7, Memory Class 0 or 1, Desired Interleave 0, 1 or 2.
tarvo::core::TestResult MEM_2(tarvo::core::Testools& tt);

}  // namespace comptests2_0
