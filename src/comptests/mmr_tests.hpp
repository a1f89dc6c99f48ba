#pragma once

// The memory-mapped register tests of CXL 2.0 devices: the component
// registers (CXL.cache/mem capability headers, HDM Decoder Capability) and the
// memory-device registers (Device Capabilities Array and its headers), found
// through the Register Locator DVSEC and read through the bundle's hw.
//
// The tests pass what they find on to later ones of the group: 2/MMR/1 records
// the CXL.cache/mem base and the header count for 2/MMR/2 to 2/MMR/8 and
// 2/MMR/11, 2/MMR/5 the HDM Decoder pointer for 2/MMR/8, 2/MMR/12 the device
// capability versions for 2/MMR/13 to 2/MMR/16; ascending order gives each
// test what it reads. What is recorded belongs to one device: it is forgotten
// as soon as a test runs on a device with another address.

#include <cstdint>

#include "common/cxl_types.hpp"
#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

namespace comptests2_0 {

// What the register-block lookup returns when it finds no block.
constexpr uint64_t InvalidAddress = 0xFFFFFFFF;

// Physical address of the register block rbi of the Register Locator DVSEC,
// or InvalidAddress after a fail record saying why.
uint64_t get_register_block_identifier_address(tarvo::core::Testools& tt,
                                               REG_LOC_REG_LOW_RBI_TYPE_t rbi);

// Scans the array_size headers after the CXL Capability Header at cache_mem
// for the first one with id: passes, and records its pointer, when it has
// version; fails on another version; not supported when no header has id.
tarvo::core::TestResult check_capability_header(tarvo::core::Testools& tt, CXL_CAPABILITY_ID_t id,
                                                uint64_t cache_mem, uint64_t array_size,
                                                uint64_t version);

// Looks id up among the device capability versions recorded by 2/MMR/12.
tarvo::core::TestResult check_device_capability_header(CXL_DEVICE_CAPABILITIES_ID_t id,
                                                       uint64_t version);

tarvo::core::TestResult MMR_1(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_2(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_3(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_4(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_5(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_6(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_7(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_8(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_9(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_10(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_11(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_12(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_13(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_14(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_15(tarvo::core::Testools& tt);
tarvo::core::TestResult MMR_16(tarvo::core::Testools& tt);

}  // namespace comptests2_0
