// The memory-mapped register tests on simulated devices built to pass and to
// fail each of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comptests/mmr_tests.hpp"
#include "mmr_bench.hpp"

namespace {

using namespace mmrbench;
using tarvo::core::TestResult;
using tarvo::types::TestState;
using Record = LogCapture::Record;

void expect_result(const TestResult& r, TestState::state state, const std::string& msg) {
    EXPECT_EQ(r.state.value(), state);
    EXPECT_EQ(r.msg, msg);
    EXPECT_EQ(r.dressed_msg, "");
}

const std::string kNotFound = "Component Register not found in block identifiers.";

// ---- register-block lookup ----

TEST(RegisterBlockLookup, ComputesTheAddressFromTheBarAndBothOffsets) {
    struct Case {
        uint8_t bir;
        uint64_t offset;
        uint64_t expected;
    };
    const Case cases[] = {
        // OffsetLow 0x0001 in bits 31:16 over BAR 2 at 0xFE000000.
        {2, 0x10000, 0xFE010000},
        // OffsetHigh supplies bits 63:32.
        {2, 0x100000000, 0x1FE000000},
        {4, 0, kBar4},
    };
    for (const Case& c : cases) {
        Bench b;
        b.bus->add_function(b.sbdf, b.config({{c.bir, RBI_COMPONENT_REGISTER, c.offset}}).build());
        EXPECT_EQ(comptests2_0::get_register_block_identifier_address(b.tt, RBI_COMPONENT_REGISTER),
                  c.expected);
        EXPECT_TRUE(b.log.records().empty());
    }
}

TEST(RegisterBlockLookup, ExaminesEveryEntryTheLengthAnnounces) {
    Bench b;
    // DVSECLen 0x24: three entries, at 0x0C, 0x14 and 0x1C; the last one is
    // the memory-device block.
    sim::ConfigBuilder cfg = b.config({{2, RBI_EMPTY, 0},
                                       {2, RBI_COMPONENT_REGISTER, 0x10000},
                                       {4, RBI_CXL_MEM_DEV_REGISTER, 0}});
    const size_t dvsec = cfg.last();
    ASSERT_EQ(cfg.space().get32(dvsec + 4) >> 20, 0x24u);
    b.bus->add_function(b.sbdf, cfg.build());
    EXPECT_EQ(comptests2_0::get_register_block_identifier_address(b.tt, RBI_CXL_MEM_DEV_REGISTER),
              kBar4);
    std::vector<uint64_t> entry_reads;
    for (const sim::Access& a : b.bus->log_of(sim::AccessKind::config_read)) {
        if (a.address >= dvsec + 0x0C && a.address < dvsec + 0x24) {
            entry_reads.push_back(a.address - dvsec);
        }
    }
    const std::vector<uint64_t> expected = {0x0C, 0x10, 0x14, 0x18, 0x1C, 0x20};
    EXPECT_EQ(entry_reads, expected);
}

TEST(RegisterBlockLookup, FailuresAreLoggedAndGiveTheInvalidAddress) {
    struct Case {
        const char* what;
        std::function<void(Bench&)> build;
        std::string record;
    };
    const std::vector<Case> cases = {
        {"no Register Locator DVSEC",
         [](Bench& b) { b.bus->add_function(b.sbdf, sim::ConfigBuilder().build()); },
         "Fail to find Register Location DVSEC"},
        {"revision 1",
         [](Bench& b) {
             sim::ConfigBuilder cfg;
             cfg.dvsec(REG_LOCATOR_DVSEC, 1, 0x14);
             b.bus->add_function(b.sbdf, cfg.build());
         },
         "Mismatch field DVSECREV expected:0x0 read:0x1\n"},
        {"DVSECLen 0x13 holds no whole entry",
         [](Bench& b) {
             sim::ConfigBuilder cfg;
             cfg.dvsec(REG_LOCATOR_DVSEC, 0, 0x13).reg(0x0C, 0x100, 4);
             b.bus->add_function(b.sbdf, cfg.build());
         },
         "DVSEC length indicated 0 register block supported.\n"},
        {"no entry with the identifier",
         [](Bench& b) {
             b.bus->add_function(b.sbdf,
                                 b.config({{4, RBI_CXL_MEM_DEV_REGISTER, 0}, {0, RBI_EMPTY, 0}})
                                     .build());
         },
         kNotFound},
        {"the entry's BAR reads 0",
         [](Bench& b) {
             b.bus->add_function(b.sbdf, b.config({{0, RBI_COMPONENT_REGISTER, 0}}).build());
         },
         kNotFound},
        {"the entry's BAR is an I/O BAR",
         [](Bench& b) {
             sim::ConfigBuilder cfg = b.config({{1, RBI_COMPONENT_REGISTER, 0}});
             cfg.io_bar(1, 0xE000, 0x100);
             b.bus->add_function(b.sbdf, cfg.build());
         },
         kNotFound},
        {"the offset carries the address past the top",
         [](Bench& b) {
             sim::ConfigBuilder cfg = b.config({{2, RBI_COMPONENT_REGISTER, 0xFFFFFFFFFFFF0000}});
             b.bus->add_function(b.sbdf, cfg.build());
         },
         kNotFound},
        {"an entry cannot be read",
         [](Bench& b) {
             sim::ConfigBuilder cfg = b.config({{2, RBI_COMPONENT_REGISTER, 0}});
             b.bus->fail_at(sim::AccessKind::config_read, cfg.last() + 0x0C);
             b.bus->add_function(b.sbdf, cfg.build());
         },
         "Fail to read DVSECRegLocatorOffsetLow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        c.build(b);
        EXPECT_EQ(comptests2_0::get_register_block_identifier_address(b.tt, RBI_COMPONENT_REGISTER),
                  comptests2_0::InvalidAddress);
        EXPECT_EQ(b.log.records(), (std::vector<Record>{{fail, c.record}}));
        EXPECT_TRUE(b.bus->log_of(sim::AccessKind::mmio_read).empty());
    }
}

// ---- 2/MMR/1 ----

TEST(Mmr1, ChecksTheCxlCapabilityHeader) {
    struct Case {
        const char* what;
        uint32_t header;  // CXL Capability Header as the device has it
        TestState::state state;
        std::string msg;
    };
    const Case cases[] = {
        {"ID 1, versions 1", 0x03110001, TestState::passed, "PASS"},
        {"ID 2", 0x03110002, TestState::finished_not_supported, kNotFound + "\n"},
        {"capability version 2", 0x03120001, TestState::failed,
         "CXL Capability Version doesn't match expected value for header.\n"},
        {"CXL.cache/mem version 2", 0x03210001, TestState::failed,
         "CXL Cache Mem Version doesn't match expected value for header.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        b.standard_device();
        b.blocks[0].registers().set32(sim::kCacheMemOffset, c.header);
        expect_result(comptests2_0::MMR_1(b.tt), c.state, c.msg);
        // One 4-byte read of the header, at the CXL.cache/mem base.
        const std::vector<sim::MemAccess>& made = b.blocks[0].range().accesses();
        ASSERT_EQ(made.size(), 1u);
        EXPECT_EQ(made[0].offset, sim::kCacheMemOffset);
        EXPECT_EQ(made[0].width, 4);
        EXPECT_TRUE(b.log.records().empty());
    }
}

TEST(Mmr1, FailsWithoutABlockOrAReadableHeader) {
    {
        Bench b;
        b.bus->add_function(b.sbdf, b.config({{4, RBI_CXL_MEM_DEV_REGISTER, 0}}).build());
        expect_result(comptests2_0::MMR_1(b.tt), TestState::failed,
                      "Unable to find RBI Component Register address.\n");
        EXPECT_EQ(b.log.records(), (std::vector<Record>{{fail, kNotFound}}));
    }
    {
        // The locator points at an address where nothing answers.
        Bench b;
        b.bus->add_function(b.sbdf, b.config({{2, RBI_COMPONENT_REGISTER, 0x10000}}).build());
        expect_result(comptests2_0::MMR_1(b.tt), TestState::failed,
                      "Unable to read Component registers for CXL cache and mem.\n");
        EXPECT_TRUE(b.log.records().empty());
    }
}

// ---- capability headers: 2/MMR/2 to 2/MMR/8 and 2/MMR/11 ----

TEST(CapabilityHeaders, AscendingOrderOnTheStandardDevice) {
    Bench b;
    b.standard_device();
    using Fn = TestResult (*)(tarvo::core::Testools&);
    struct Step {
        Fn test;
        TestState::state state;
        std::string msg;
    };
    const std::string absent = "Unable to find CXL capability header.";
    const Step steps[] = {
        {comptests2_0::MMR_1, TestState::passed, "PASS"},
        {comptests2_0::MMR_2, TestState::passed, "PASS"},
        {comptests2_0::MMR_3, TestState::finished_not_supported, absent},
        {comptests2_0::MMR_4, TestState::passed, "PASS"},
        {comptests2_0::MMR_5, TestState::passed, "PASS"},
        {comptests2_0::MMR_6, TestState::finished_not_supported, absent},
        {comptests2_0::MMR_7, TestState::finished_not_supported, absent},
        {comptests2_0::MMR_8, TestState::passed, "PASS"},
        {comptests2_0::MMR_9, TestState::skipped, "Test case is not available for testing."},
        {comptests2_0::MMR_10, TestState::skipped, "Test case is not available for testing."},
        {comptests2_0::MMR_11, TestState::finished_not_supported, absent},
    };
    int n = 1;
    for (const Step& s : steps) {
        SCOPED_TRACE("2/MMR/" + std::to_string(n++));
        expect_result(s.test(b.tt), s.state, s.msg);
    }
    // Only 2/MMR/2 logs, its note on the RAS version.
    EXPECT_EQ(b.log.records(),
              (std::vector<Record>{{info,
                                    "CXL RAS Capability Version (1) incorrect on CXL 2.0 spec. "
                                    "Errata F15 corrects value to 2."}}));
    // Every access to the component block was a 4-byte one.
    for (const sim::MemAccess& a : b.blocks[0].range().accesses()) {
        EXPECT_EQ(a.width, 4) << a.offset;
    }
}

TEST(CapabilityHeaders, ScanStopsAtTheFirstHeaderWithTheId) {
    Bench b;
    b.bus->add_function(b.sbdf,
                        b.config({{2, RBI_COMPONENT_REGISTER, 0x10000}}).build());
    // Two HDM Decoder headers: the first one, version 2, decides.
    b.component({{CXL_RAS_CAPABILITY, 2, 0x80},
                 {CXL_HDM_DECODER_CAPABILITY, 2, 0x110},
                 {CXL_HDM_DECODER_CAPABILITY, 1, 0x30}});
    ASSERT_EQ(comptests2_0::MMR_1(b.tt).state.value(), TestState::passed);
    expect_result(comptests2_0::MMR_5(b.tt), TestState::failed,
                  "CXL Capability header version doesn't match expected.");
    // The failed check recorded no pointer, so 2/MMR/8 has nothing to read.
    b.blocks[0].range().clear_accesses();
    expect_result(comptests2_0::MMR_8(b.tt), TestState::failed,
                  "Unable to read capability header.\n");
    EXPECT_TRUE(b.blocks[0].range().accesses().empty());
}

TEST(CapabilityHeaders, FailsWithoutHeadersOrWhenOneCannotBeRead) {
    {
        // 2/MMR/1 has not run for this device.
        Bench b;
        b.standard_device();
        expect_result(comptests2_0::MMR_4(b.tt), TestState::failed,
                      "Array size has 0 number of capability headers.");
        EXPECT_TRUE(b.bus->log_of(sim::AccessKind::mmio_read).empty());
    }
    {
        Bench b;
        b.standard_device();
        ASSERT_EQ(comptests2_0::MMR_1(b.tt).state.value(), TestState::passed);
        b.bus->fail_at(sim::AccessKind::mmio_read, kCacheMem + 8);
        expect_result(comptests2_0::MMR_4(b.tt), TestState::failed,
                      "Unable to read capability header.");
        // The RAS header before it was read, nothing after it.
        EXPECT_EQ(b.bus->log_of(sim::AccessKind::mmio_read).size(), 3u);
    }
}

// ---- 2/MMR/8 ----

TEST(Mmr8, ReadsTheHdmDecoderStructureAtTheRecordedPointer) {
    struct Case {
        uint32_t value;
        TestState::state state;
        std::string msg;
    };
    const Case cases[] = {
        {0x95, TestState::passed, "PASS"},  // DecoderCount 5, TargetCount 9
        {0x96, TestState::failed, "Decoder count failed for CXL HDM Decoder Capability Register\n"},
        {0xA5, TestState::failed, "Target count failed for CXL HDM Decoder Capability Register\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        Bench b;
        b.bus->add_function(b.sbdf, b.config({{2, RBI_COMPONENT_REGISTER, 0x10000}}).build());
        // Array_Size 3, the HDM Decoder header third with pointer 0x30.
        sim::RegisterBlock block = b.component({{CXL_RAS_CAPABILITY, 2, 0x80},
                                                {CXL_LINK_CAPABILITY, 2, 0xD8},
                                                {CXL_HDM_DECODER_CAPABILITY, 1, 0x30}});
        block.registers().set32(sim::kCacheMemOffset + 0x30, c.value);
        ASSERT_EQ(comptests2_0::MMR_1(b.tt).state.value(), TestState::passed);
        ASSERT_EQ(comptests2_0::MMR_5(b.tt).state.value(), TestState::passed);
        block.range().clear_accesses();
        expect_result(comptests2_0::MMR_8(b.tt), c.state, c.msg);
        ASSERT_EQ(block.range().accesses().size(), 1u);
        EXPECT_EQ(block.range().accesses()[0].offset, sim::kCacheMemOffset + 0x30);
    }
}

TEST(Mmr8, FailsWhenTheStructureCannotBeRead) {
    Bench b;
    b.standard_device();
    ASSERT_EQ(comptests2_0::MMR_1(b.tt).state.value(), TestState::passed);
    ASSERT_EQ(comptests2_0::MMR_5(b.tt).state.value(), TestState::passed);
    b.bus->fail_at(sim::AccessKind::mmio_read, kCacheMem + kHdmPointer);
    expect_result(comptests2_0::MMR_8(b.tt), TestState::failed,
                  "Unable to read capability header.\n");
}

// ---- 2/MMR/12 to 2/MMR/16 ----

using DeviceCaps = std::vector<sim::DeviceCapability>;

// Runs 2/MMR/12 to 2/MMR/16 and gives their results.
std::vector<TestResult> run_device_tests(Bench& b) {
    std::vector<TestResult> results;
    for (auto test : {comptests2_0::MMR_12, comptests2_0::MMR_13, comptests2_0::MMR_14,
                      comptests2_0::MMR_15, comptests2_0::MMR_16}) {
        results.push_back(test(b.tt));
    }
    return results;
}

TEST(DeviceCapabilities, RecordsEachHeaderForTheLaterTests) {
    Bench b;
    b.standard_device();
    const std::vector<TestResult> r = run_device_tests(b);
    expect_result(r[0], TestState::passed, "PASS");
    expect_result(r[1], TestState::passed, "PASS");
    expect_result(r[2], TestState::passed, "PASS");
    expect_result(r[3], TestState::finished_not_supported,
                  "Device capability header with ID 3 was not found.\n");
    expect_result(r[4], TestState::passed, "PASS");
    EXPECT_TRUE(b.log.records().empty());
    // The array register and three headers, each one 8-byte read.
    std::vector<uint64_t> offsets;
    for (const sim::MemAccess& a : b.blocks[1].range().accesses()) {
        EXPECT_EQ(a.width, 8);
        offsets.push_back(a.offset);
    }
    EXPECT_EQ(offsets, (std::vector<uint64_t>{0x00, 0x10, 0x20, 0x30}));
}

TEST(DeviceCapabilities, VersionsAndAbsentCapabilities) {
    {
        // Count 0: 2/MMR/12 passes, the others find nothing.
        Bench b;
        b.bus->add_function(b.sbdf, b.config({{4, RBI_CXL_MEM_DEV_REGISTER, 0}}).build());
        b.memory_device({});
        const std::vector<TestResult> r = run_device_tests(b);
        expect_result(r[0], TestState::passed, "PASS");
        const char* ids[] = {"1", "2", "3", "16384"};
        for (int i = 0; i < 4; ++i) {
            expect_result(r[1 + i], TestState::finished_not_supported,
                          std::string("Device capability header with ID ") + ids[i] +
                              " was not found.\n");
        }
    }
    {
        // A later header with the same ID replaces the earlier one.
        Bench b;
        b.bus->add_function(b.sbdf, b.config({{4, RBI_CXL_MEM_DEV_REGISTER, 0}}).build());
        b.memory_device({{CXL_DEV_STATUS_REGISTER, 1, 0x80, 8},
                         {CXL_DEV_MEMORY_REGISTER, 2, 0x88, 8},
                         {CXL_DEV_STATUS_REGISTER, 2, 0x90, 8}});
        const std::vector<TestResult> r = run_device_tests(b);
        expect_result(r[1], TestState::failed,
                      "Device capability header with ID 1 does not match version.\n");
        expect_result(r[4], TestState::failed,
                      "Device capability header with ID 16384 does not match version.\n");
    }
}

TEST(DeviceCapabilities, ArrayRegisterFaults) {
    struct Case {
        const char* what;
        uint64_t array;  // Device Capabilities Array register
        std::string msg;
    };
    const Case cases[] = {
        {"capability ID 1", 0x0000000300010001,
         "Capability ID for CXL Device Capabilities Array Register do not match."},
        {"version 2", 0x0000000300020000,
         "Capability Version for CXL Device Capabilities Array Register do not match."},
        // 256 headers do not fit after the array register in 4 KiB.
        {"count 256", 0x0000010000010000,
         "Capabilities count for CXL Device Capabilities Array Register exceeds the register "
         "block."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        b.standard_device();
        b.blocks[1].registers().set64(0, c.array);
        const std::vector<TestResult> r = run_device_tests(b);
        expect_result(r[0], TestState::failed, c.msg);
        // Only the array register was read.
        EXPECT_EQ(b.blocks[1].range().accesses().size(), 1u);
    }
    {
        // 255 headers fit: the scan goes on until the block's end.
        Bench b;
        b.standard_device();
        b.blocks[1].registers().set64(0, 0x000000FF00010000);
        expect_result(comptests2_0::MMR_12(b.tt), TestState::passed, "PASS");
        EXPECT_EQ(b.blocks[1].range().accesses().back().offset, 0xFF0u);
    }
}

TEST(DeviceCapabilities, FailuresToLocateOrRead) {
    {
        Bench b;
        b.bus->add_function(b.sbdf, b.config({{2, RBI_COMPONENT_REGISTER, 0x10000}}).build());
        const std::vector<TestResult> r = run_device_tests(b);
        expect_result(r[0], TestState::failed,
                      "Unable to find RBI CXL Memory Device Register address.");
        EXPECT_EQ(b.log.records(), (std::vector<Record>{{fail, kNotFound}}));
        EXPECT_EQ(r[1].state.value(), TestState::finished_not_supported);
    }
    {
        Bench b;
        b.bus->add_function(b.sbdf, b.config({{4, RBI_CXL_MEM_DEV_REGISTER, 0}}).build());
        expect_result(comptests2_0::MMR_12(b.tt), TestState::failed,
                      "Unable to read CXL Device Capabilities Array Register.");
    }
    {
        // The header read before the failing one stays recorded.
        Bench b;
        b.standard_device();
        b.bus->fail_at(sim::AccessKind::mmio_read, kMemDevBlock + 0x20);
        const std::vector<TestResult> r = run_device_tests(b);
        expect_result(r[0], TestState::failed, "Unable to read capability header.");
        EXPECT_EQ(r[1].state.value(), TestState::passed);
        EXPECT_EQ(r[2].state.value(), TestState::finished_not_supported);
        EXPECT_EQ(r[4].state.value(), TestState::finished_not_supported);
    }
}

// ---- what the tests pass on belongs to one device ----

TEST(RecordedState, IsForgottenWhenTheDeviceChanges) {
    Bench first;
    first.standard_device();
    ASSERT_EQ(comptests2_0::MMR_1(first.tt).state.value(), TestState::passed);
    ASSERT_EQ(comptests2_0::MMR_5(first.tt).state.value(), TestState::passed);
    ASSERT_EQ(comptests2_0::MMR_12(first.tt).state.value(), TestState::passed);
    ASSERT_EQ(comptests2_0::MMR_13(first.tt).state.value(), TestState::passed);

    // Another device, with its own blocks at the same addresses: nothing of
    // the first one is used for it.
    Bench second;
    second.standard_device();
    expect_result(comptests2_0::MMR_2(second.tt), TestState::failed,
                  "Array size has 0 number of capability headers.");
    expect_result(comptests2_0::MMR_8(second.tt), TestState::failed,
                  "Unable to read capability header.\n");
    expect_result(comptests2_0::MMR_13(second.tt), TestState::finished_not_supported,
                  "Device capability header with ID 1 was not found.\n");
    EXPECT_TRUE(second.bus->log_of(sim::AccessKind::mmio_read).empty());

    // Back on the first device, it starts afresh too.
    expect_result(comptests2_0::MMR_13(first.tt), TestState::finished_not_supported,
                  "Device capability header with ID 1 was not found.\n");
}

}  // namespace
