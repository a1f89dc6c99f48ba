#include "comptests/mmr_tests.hpp"

#include <limits>
#include <optional>
#include <string>
#include <unordered_map>

#include "comptests/buffer_convert.hpp"
#include "comptests/cfg_support.hpp"
#include "core/devices/devcomp.hpp"
#include "core/io/hwio/cxl_registers.hpp"
#include "core/io/hwio/hwio.hpp"

namespace comptests2_0 {

using tarvo::core::FailingTestResult;
using tarvo::core::FinishedNotSupportedTestResult;
using tarvo::core::PassingTestResult;
using tarvo::core::Register;
using tarvo::core::SkippedTestResult;
using tarvo::core::TestResult;
using tarvo::core::Testools;
using tarvo::compliance::v2d0::support::field;
using tarvo::compliance::v2d0::support::line;
using tarvo::compliance::v2d0::support::mismatch_record;

namespace {

// The CXL.cache/mem registers begin 4 KiB into the component register block.
constexpr uint64_t kCacheMemOffset = 0x1000;
// Register Locator entries are 8 bytes; OffsetLow counts 64 KiB units.
constexpr uint64_t kLocatorEntryBytes = 8;
constexpr uint64_t kBlockOffsetUnit = 0x10000;
constexpr uint64_t kUndecodedBar = std::numeric_limits<uint64_t>::max();
// Device capability headers are 16 bytes each and follow the array register;
// only those inside the first 4 KiB page of the block are read, so a count
// beyond what fits there is a fault of the device, never a bound of the scan.
constexpr uint64_t kDeviceCapabilityBytes = 16;
constexpr uint64_t kDeviceCapabilityLimit = 0x1000 / kDeviceCapabilityBytes - 1;
// DecoderCount and TargetCount limits of the HDM Decoder Capability register.
constexpr uint64_t kMaxDecoderCount = 5;
constexpr uint64_t kMaxTargetCount = 9;

// What the tests of one device pass on to later tests of the group.
struct DeviceRecord {
    uint64_t ComponentRegisterCacheMem_addr = 0;
    uint64_t Array_Size = 0;
    uint64_t CXLxCapabilityPointers[CXL_CAPABILITY_ID_MAX] = {};
    uint64_t CXLMemoryDeviceRegister_addr = InvalidAddress;
    std::unordered_map<uint16_t, uint32_t> CXLDeviceCapabilityHeaderVersion;
};

struct Recorded {
    std::optional<uint32_t> owner;  // SBDF of the device the values belong to
    DeviceRecord values;
};

Recorded& recorded() {
    static Recorded state;
    return state;
}

// The record of the bundle's device; a device other than the one recorded
// starts again from the initial values.
DeviceRecord& record_for(const Testools& tt) {
    Recorded& state = recorded();
    std::optional<uint32_t> sbdf;
    if (tt.device) {
        sbdf = tt.device->GetSBDF();
    }
    if (state.owner != sbdf) {
        state.values = DeviceRecord();
        state.owner = sbdf;
    }
    return state.values;
}

// One memory-mapped read of len (at most 8) bytes at addr through the
// bundle's hw, given little-endian to reg.
bool read_mmio(Testools& tt, uint64_t addr, int len, Register& reg) {
    unsigned char buf[8] = {};
    if (!tt.hw || len <= 0 || len > static_cast<int>(sizeof(buf)) ||
        tt.hw->ReadMMIO(buf, addr, len) == 0) {
        return false;
    }
    reg.SetValue(convert_from_buf(buf, static_cast<uint64_t>(len)));
    return true;
}

std::string device_capability_text(CXL_DEVICE_CAPABILITIES_ID_t id, const char* finding) {
    return line("Device capability header with ID " + std::to_string(static_cast<uint32_t>(id)) +
                finding);
}

TestResult check_recorded_header(Testools& tt, CXL_CAPABILITY_ID_t id, uint64_t version) {
    const DeviceRecord& rec = record_for(tt);
    return check_capability_header(tt, id, rec.ComponentRegisterCacheMem_addr, rec.Array_Size,
                                   version);
}

TestResult check_recorded_device_header(Testools& tt, CXL_DEVICE_CAPABILITIES_ID_t id) {
    record_for(tt);
    return check_device_capability_header(id, 1);
}

}  // namespace

uint64_t get_register_block_identifier_address(Testools& tt, REG_LOC_REG_LOW_RBI_TYPE_t rbi) {
    auto fail = [&tt](const std::string& text) {
        tt.messenger->fail_msg(text);
        return InvalidAddress;
    };
    uint64_t dvsec = 0;
    if (!tt.device || tt.device->GetDVSECOffset(REG_LOCATOR_DVSEC, dvsec) != 0) {
        return fail("Fail to find Register Location DVSEC");
    }
    tarvo::core::DVSECHeader1 header1;
    if (tt.device->ReadPCI(dvsec, header1) != 0) {
        return fail("Fail to read DVSECHeader1.");
    }
    const uint64_t vendor = field(header1, "DVSECVendorID");
    if (vendor != CXL_DVSEC_VENDOR_ID) {
        return fail(mismatch_record("DVSECVID", CXL_DVSEC_VENDOR_ID, vendor));
    }
    const uint64_t revision = field(header1, "DVSECRev");
    if (revision != 0) {
        return fail(mismatch_record("DVSECREV", 0, revision));
    }
    tarvo::core::DVSECHeader2 header2;
    if (tt.device->ReadPCI(dvsec, header2) != 0) {
        return fail("Fail to read DVSECHeader2");
    }
    const uint64_t dvsec_id = field(header2, "DVSECID");
    if (dvsec_id != REG_LOCATOR_DVSEC) {
        return fail(mismatch_record("DVSECID", REG_LOCATOR_DVSEC, dvsec_id));
    }

    // DVSECLen is 12 bits wide, so the entries it announces stay inside the
    // configuration space.
    const uint64_t length = field(header1, "DVSECLen");
    const uint64_t first_entry = tarvo::core::DVSECRegLocatorOffsetLow().GetOffset();
    const uint64_t entries =
        length < first_entry + kLocatorEntryBytes ? 0 : (length - first_entry) / kLocatorEntryBytes;
    if (entries == 0) {
        return fail(line("DVSEC length indicated 0 register block supported."));
    }
    const std::string not_found = "Component Register not found in block identifiers.";
    for (uint64_t i = 0; i < entries; ++i) {
        const uint64_t base = dvsec + kLocatorEntryBytes * i;
        tarvo::core::DVSECRegLocatorOffsetLow low;
        tarvo::core::DVSECRegLocatorOffsetHigh high;
        if (tt.device->ReadPCI(base, low) != 0) {
            return fail("Fail to read DVSECRegLocatorOffsetLow");
        }
        if (tt.device->ReadPCI(base, high) != 0) {
            return fail("Fail to read DVSECRegLocatorOffsetHigh");
        }
        if (field(low, "RegBlockIdentifier") != rbi) {
            continue;
        }
        // A BAR that cannot be decoded gives no address; nor does an offset
        // that carries the address past the top of the address space.
        const uint64_t bar = tt.device->GetBARAddr(static_cast<int>(field(low, "RegBlockBIR")));
        const uint64_t offset = field(low, "RegBlockOffsetLow") * kBlockOffsetUnit +
                                (field(high, "RegBlockOffsetHigh") << 32);
        if (bar == kUndecodedBar || bar > std::numeric_limits<uint64_t>::max() - offset) {
            return fail(not_found);
        }
        return bar + offset;
    }
    return fail(not_found);
}

TestResult check_capability_header(Testools& tt, CXL_CAPABILITY_ID_t id, uint64_t cache_mem,
                                   uint64_t array_size, uint64_t version) {
    if (array_size == 0) {
        return FailingTestResult("Array size has 0 number of capability headers.");
    }
    // Array_Size is an 8-bit field, so at most 255 headers are read.
    for (uint64_t i = 1; i <= array_size; ++i) {
        tarvo::core::CXLxCapabilityHeader header;
        if (!read_mmio(tt, cache_mem + 4 * i, 4, header)) {
            return FailingTestResult("Unable to read capability header.");
        }
        if (field(header, "CXL_Capability_ID") != id) {
            continue;
        }
        if (field(header, "CXL_Capability_Version") != version) {
            return FailingTestResult("CXL Capability header version doesn't match expected.");
        }
        if (id < CXL_CAPABILITY_ID_MAX) {
            record_for(tt).CXLxCapabilityPointers[id] = field(header, "CXL_X_Capability_Pointer");
        }
        return PassingTestResult("PASS");
    }
    return FinishedNotSupportedTestResult("Unable to find CXL capability header.");
}

TestResult check_device_capability_header(CXL_DEVICE_CAPABILITIES_ID_t id, uint64_t version) {
    const auto& versions = recorded().values.CXLDeviceCapabilityHeaderVersion;
    const auto it = versions.find(static_cast<uint16_t>(id));
    if (it == versions.end()) {
        return FinishedNotSupportedTestResult(device_capability_text(id, " was not found."));
    }
    if (it->second != version) {
        return FailingTestResult(device_capability_text(id, " does not match version."));
    }
    return PassingTestResult("PASS");
}

TestResult MMR_1(Testools& tt) {
    DeviceRecord& rec = record_for(tt);
    const uint64_t block = get_register_block_identifier_address(tt, RBI_COMPONENT_REGISTER);
    if (block == InvalidAddress) {
        return FailingTestResult(line("Unable to find RBI Component Register address."));
    }
    rec.ComponentRegisterCacheMem_addr = block + kCacheMemOffset;
    tarvo::core::CXLCapabilityHeader header;
    if (!read_mmio(tt, rec.ComponentRegisterCacheMem_addr, 4, header)) {
        return FailingTestResult(line("Unable to read Component registers for CXL cache and mem."));
    }
    if (field(header, "CXL_Capability_ID") != CXL_CAPABILITY) {
        return FinishedNotSupportedTestResult(
            line("Component Register not found in block identifiers."));
    }
    if (field(header, "CXL_Capability_Version") != 1) {
        return FailingTestResult(
            line("CXL Capability Version doesn't match expected value for header."));
    }
    if (field(header, "CXL_Cache_Mem_Version") != 1) {
        return FailingTestResult(
            line("CXL Cache Mem Version doesn't match expected value for header."));
    }
    rec.Array_Size = field(header, "Array_Size");
    return PassingTestResult("PASS");
}

TestResult MMR_2(Testools& tt) {
    tt.messenger->info_msg(
        "CXL RAS Capability Version (1) incorrect on CXL 2.0 spec. Errata F15 corrects value to 2.");
    return check_recorded_header(tt, CXL_RAS_CAPABILITY, 2);
}

TestResult MMR_3(Testools& tt) { return check_recorded_header(tt, CXL_SECURITY_CAPABILITY, 1); }

TestResult MMR_4(Testools& tt) { return check_recorded_header(tt, CXL_LINK_CAPABILITY, 2); }

TestResult MMR_5(Testools& tt) { return check_recorded_header(tt, CXL_HDM_DECODER_CAPABILITY, 1); }

TestResult MMR_6(Testools& tt) {
    return check_recorded_header(tt, CXL_EXT_SECURITY_CAPABILITY, 1);
}

TestResult MMR_7(Testools& tt) { return check_recorded_header(tt, CXL_IDE_CAPABILITY, 1); }

TestResult MMR_8(Testools& tt) {
    const DeviceRecord& rec = record_for(tt);
    // Without a pointer recorded by 2/MMR/5 there is no HDM Decoder structure
    // to read: offset 0 would be the CXL Capability Header itself.
    const uint64_t pointer = rec.CXLxCapabilityPointers[CXL_HDM_DECODER_CAPABILITY];
    tarvo::core::CXLHDMDecoderCapabilityRegister reg;
    if (pointer == 0 || !read_mmio(tt, rec.ComponentRegisterCacheMem_addr + pointer, 4, reg)) {
        return FailingTestResult(line("Unable to read capability header."));
    }
    if (field(reg, "DecoderCount") > kMaxDecoderCount) {
        return FailingTestResult(line("Decoder count failed for CXL HDM Decoder Capability Register"));
    }
    if (field(reg, "TargetCount") > kMaxTargetCount) {
        return FailingTestResult(line("Target count failed for CXL HDM Decoder Capability Register"));
    }
    return PassingTestResult("PASS");
}

TestResult MMR_9(Testools&) { return SkippedTestResult("Test case is not available for testing."); }

TestResult MMR_10(Testools&) { return SkippedTestResult("Test case is not available for testing."); }

TestResult MMR_11(Testools& tt) { return check_recorded_header(tt, CXL_SNP_FLT_CAPABILITY, 1); }

TestResult MMR_12(Testools& tt) {
    DeviceRecord& rec = record_for(tt);
    rec.CXLMemoryDeviceRegister_addr =
        get_register_block_identifier_address(tt, RBI_CXL_MEM_DEV_REGISTER);
    const uint64_t block = rec.CXLMemoryDeviceRegister_addr;
    if (block == InvalidAddress) {
        return FailingTestResult("Unable to find RBI CXL Memory Device Register address.");
    }
    tarvo::core::CXLDeviceCapabilitiesArray array;
    if (!read_mmio(tt, block, 8, array)) {
        return FailingTestResult("Unable to read CXL Device Capabilities Array Register.");
    }
    if (field(array, "Capability_ID") != 0) {
        return FailingTestResult(
            "Capability ID for CXL Device Capabilities Array Register do not match.");
    }
    if (field(array, "Version") != 1) {
        return FailingTestResult(
            "Capability Version for CXL Device Capabilities Array Register do not match.");
    }
    const uint64_t count = field(array, "Capabilities_Count");
    auto& versions = rec.CXLDeviceCapabilityHeaderVersion;
    versions.clear();
    if (count > kDeviceCapabilityLimit) {
        return FailingTestResult(
            "Capabilities count for CXL Device Capabilities Array Register exceeds the register "
            "block.");
    }
    for (uint64_t i = 1; i <= count; ++i) {
        // The first 8 of the header's 16 bytes hold its ID and version.
        tarvo::core::CXLDeviceCapabilityHeader header;
        if (!read_mmio(tt, block + kDeviceCapabilityBytes * i, 8, header)) {
            return FailingTestResult("Unable to read capability header.");
        }
        versions[static_cast<uint16_t>(field(header, "Capability_ID"))] =
            static_cast<uint32_t>(field(header, "Version"));
    }
    return PassingTestResult("PASS");
}

TestResult MMR_13(Testools& tt) { return check_recorded_device_header(tt, CXL_DEV_STATUS_REGISTER); }

TestResult MMR_14(Testools& tt) {
    return check_recorded_device_header(tt, CXL_DEV_PRIMARY_MAILBOX_REGISTER);
}

TestResult MMR_15(Testools& tt) {
    return check_recorded_device_header(tt, CXL_DEV_SECONDARY_MAILBOX_REGISTER);
}

TestResult MMR_16(Testools& tt) { return check_recorded_device_header(tt, CXL_DEV_MEMORY_REGISTER); }

}  // namespace comptests2_0
