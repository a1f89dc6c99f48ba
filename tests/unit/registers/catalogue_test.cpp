#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/io/hwio/cxl_registers.hpp"

using namespace tarvo;

namespace {

using Factory = core::Register (*)();

// Builds one catalogue register as a plain core::Register; the class must be
// a public, data-free, non-polymorphic extension of core::Register.
template <class C>
core::Register Make() {
    static_assert(std::is_convertible<C*, core::Register*>::value, "public base");
    static_assert(sizeof(C) == sizeof(core::Register), "no data member of its own");
    static_assert(!std::is_polymorphic<C>::value, "no virtual operation");
    return C{};
}

#define REG(C) {#C, &Make<core::C>}
const std::vector<std::pair<std::string, Factory>> kCatalogue = {
    REG(VendorId), REG(ClassCode), REG(CapPointer), REG(PCIeCapList), REG(PCIeCapReg),
    REG(DeviceControlRegister), REG(PCIeExtCapHeader), REG(PCIeDOECapRegister),
    REG(PCIeDOEControlRegister), REG(PCIeDOEStatusRegister),
    REG(PCIeDOEWriteDataMailboxRegister), REG(PCIeDOEReadDataMailboxRegister), REG(DOEHeader1),
    REG(SecondaryBusNumber), REG(DVSECHeader1), REG(DVSECHeader2), REG(DVSECFlexBusCap),
    REG(DVSECFlexBusControl), REG(DVSECFlexBusControl2), REG(DVSECCXLStatus2),
    REG(DVSECFlexBusLock), REG(DVSECCXLCapability2), REG(DVSECFlexBusRange1SizeHigh),
    REG(DVSECFlexBusRange1SizeLow), REG(DVSECFlexBusRange1BaseHigh),
    REG(DVSECFlexBusRange1BaseLow), REG(DVSECFlexBusRange2SizeHigh),
    REG(DVSECFlexBusRange2SizeLow), REG(DVSECFlexBusRange2BaseHigh),
    REG(DVSECFlexBusRange2BaseLow), REG(DVSECFlexBusPortCapability),
    REG(DVSECRegLocatorOffsetLow), REG(DVSECRegLocatorOffsetHigh),
    REG(DVSECCXLTestCapability1), REG(DVSECCXLTestConfigurationBaseLow),
    REG(DVSECCXLTestConfigurationBaseHigh), REG(TestAlgoStartAddress1),
    REG(TestAlgoWriteBackAddress1), REG(TestAlgoIncrement), REG(TestAlgoPattern),
    REG(TestAlgoByteMask), REG(TestAlgoPatternConfiguration), REG(TestAlgoAlgorithmConfiguration),
    REG(TestAlgoDeviceErrorInjection), REG(TestAlgoCacheMemLinkLayerErrorInjection),
    REG(TestAlgoIOLinkLayerErrorInjection), REG(UncorrectableErrorStatus),
    REG(CXLCapabilityHeader), REG(CXLxCapabilityHeader), REG(CXLDeviceCapabilitiesArray),
    REG(CXLDeviceCapabilityHeader), REG(CXLHDMDecoderCapabilityRegister),
    REG(CXLRASUncorrectableErrorStatus), REG(CXLRASUncorrectableErrorMask),
    REG(CXLRASUncorrectableErrorSeverity), REG(CXLRASCorrectableErrorStatus),
    REG(CXLRASCorrectableErrorMask), REG(CXLRASErrorCapabilityAndControl), REG(CXLRASHeaderLog),
    REG(CXLLinkLayerCapability), REG(CXLLinkControlAndStatus), REG(CXLLinkRxCreditControl),
    REG(CXLLinkAckTimerControl), REG(CXLLinkDefeature), REG(CXLPortControlExtensions),
    REG(GPFPhase1Control), REG(GPFPhase2Control), REG(GPFPhase2Duration),
    REG(NumberOfLDSupported),
};
#undef REG

struct ExpectedField {
    std::string name;
    uint64_t lowbit, width;
};
struct ExpectedRegister {
    std::string cls, name;
    uint64_t offset, width, bytes;
    std::vector<ExpectedField> fields;
};

// Reads tests/fixtures/registers.tsv; a malformed row fails the test.
std::vector<ExpectedRegister> LoadExpected() {
    std::ifstream in(std::string(TARVO_FIXTURE_DIR) + "/registers.tsv");
    EXPECT_TRUE(in.good()) << "registers.tsv not readable";
    std::vector<ExpectedRegister> regs;
    std::string line;
    for (int lineno = 1; std::getline(in, line); ++lineno) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream row(line);
        std::string kind, a, b, c, d, e;
        std::getline(row, kind, '\t');
        if (kind == "register" && std::getline(row, a, '\t') && std::getline(row, b, '\t') &&
            std::getline(row, c, '\t') && std::getline(row, d, '\t') && std::getline(row, e)) {
            regs.push_back({a, b, std::stoull(c, nullptr, 0), std::stoull(d), std::stoull(e), {}});
        } else if (kind == "field" && !regs.empty() && std::getline(row, a, '\t') &&
                   std::getline(row, b, '\t') && std::getline(row, c)) {
            regs.back().fields.push_back({a, std::stoull(b), std::stoull(c)});
        } else {
            ADD_FAILURE() << "registers.tsv line " << lineno << " malformed: " << line;
        }
    }
    return regs;
}

}  // namespace

TEST(RegisterCatalogue, EveryClassMatchesItsTable) {
    ASSERT_EQ(kCatalogue.size(), 69u);
    std::map<std::string, Factory> factories(kCatalogue.begin(), kCatalogue.end());
    ASSERT_EQ(factories.size(), 69u) << "a class is listed twice";

    const auto expected = LoadExpected();
    ASSERT_EQ(expected.size(), 69u);
    for (const auto& want : expected) {
        SCOPED_TRACE(want.cls);
        auto it = factories.find(want.cls);
        ASSERT_NE(it, factories.end()) << "described twice or not a catalogue class";
        core::Register reg = it->second();
        factories.erase(it);

        EXPECT_EQ(reg.GetName(), want.name);
        EXPECT_EQ(reg.GetOffset(), want.offset);
        EXPECT_EQ(reg.GetWidth(), want.width);
        EXPECT_EQ(reg.GetBytes(), want.bytes);
        ASSERT_EQ(reg.fields.size(), want.fields.size());
        for (size_t i = 0; i < want.fields.size(); ++i) {
            const auto& got = reg.fields[i];
            SCOPED_TRACE(want.fields[i].name);
            EXPECT_EQ(got.Getname(), want.fields[i].name);
            EXPECT_EQ(got.GetOffset(), want.fields[i].lowbit);
            EXPECT_EQ(got.GetWidth(), want.fields[i].width);
            EXPECT_EQ(got.GetValue(), 0u);
        }
        EXPECT_EQ(reg.GetValue(), 0u);
    }
    EXPECT_TRUE(factories.empty());
}

// Unpacking a raw value, reading fields by name and packing back.
TEST(RegisterCatalogue, UnpacksAndPacksTheLayouts) {
    struct Case {
        const char* what;
        Factory make;
        uint64_t raw;
        uint64_t packed;  // GetValue after SetValue(raw)
        std::vector<std::pair<std::string, uint64_t>> fields;
    };
    const uint64_t all = ~uint64_t{0};
    const uint64_t pattern = 0xFEDCBA9876543210ull;
    const Case cases[] = {
        {"DVSEC header", &Make<core::DVSECHeader1>, 0x03811E98, 0x03811E98,
         {{"DVSECVendorID", 0x1E98}, {"DVSECRev", 1}, {"DVSECLen", 0x38}}},
        // The first "RSVD1" (14:3) is the one a lookup reaches, never bit 15.
        {"duplicate RSVD1, low range", &Make<core::DVSECCXLStatus2>, 0x7FF8, 0x7FF8,
         {{"RSVD1", 0xFFF}, {"CXLResetError", 0}}},
        {"duplicate RSVD1, bit 15 only", &Make<core::DVSECCXLStatus2>, 0x8000, 0x8000,
         {{"RSVD1", 0}}},
        {"range 1 base low", &Make<core::DVSECFlexBusRange1BaseLow>, 0xA1234567, 0xA1234567,
         {{"MemoryBaseLow", 0xA}, {"RSVD", 0x1234567}}},
        {"range 2 base low", &Make<core::DVSECFlexBusRange2BaseLow>, 0x5FFFFFFF, 0x5FFFFFFF,
         {{"MemoryBaseLow", 0x5}, {"RSVD", 0xFFFFFFF}}},
        {"CacheCapable of the device DVSEC", &Make<core::DVSECFlexBusCap>, 0x1, 0x1,
         {{"CacheCapable", 1}, {"IOCapable", 0}}},
        {"CacheCapable of the port DVSEC", &Make<core::DVSECFlexBusPortCapability>, 0x1, 0x1,
         {{"CacheCapable", 1}, {"IOCapable", 0}}},
        {"WrInv is bit 17", &Make<core::DVSECCXLTestCapability1>, 1u << 17, 1u << 17,
         {{"WrInv", 1}, {"WOWrInvF", 0}, {"CacheFlushed", 0}}},
        {"test capability top", &Make<core::DVSECCXLTestCapability1>, 0xFFE00000, 0xFFE00000,
         {{"RSVD", 0x7}, {"ConfigurationSize", 0xFF}, {"CompletionTimeoutInjection", 0}}},
        {"32-bit among 64-bit neighbours", &Make<core::TestAlgoDeviceErrorInjection>, all,
         0xFFFFFFFF, {{"RSVD", 0xFFFFFFF}}},
        {"duplicate FlowControlErrorInjection, bit 3",
         &Make<core::TestAlgoIOLinkLayerErrorInjection>, 0x8, 0x8,
         {{"FlowControlErrorInjection", 0}}},
        {"duplicate FlowControlErrorInjection, bit 2",
         &Make<core::TestAlgoIOLinkLayerErrorInjection>, 0x4, 0x4,
         {{"FlowControlErrorInjection", 1}}},
        {"start address", &Make<core::TestAlgoStartAddress1>, pattern, pattern,
         {{"StartAddress1", pattern}}},
        {"write-back address", &Make<core::TestAlgoWriteBackAddress1>, pattern, pattern,
         {{"WriteBackAddress1", pattern}}},
        {"byte mask", &Make<core::TestAlgoByteMask>, pattern, pattern, {{"ByteMask", pattern}}},
        {"algorithm configuration, upper half", &Make<core::TestAlgoAlgorithmConfiguration>,
         0xFFFFFFFF00000000ull, 0xFFFFFFFF00000000ull,
         {{"NumberOfLoops", 0}, {"AddressIsVirtual", 1}, {"Protocol", 7},
          {"WriteSemanticsCache", 0xF}, {"FlushCache", 1}, {"ExecuteReadSemanticsCache", 7},
          {"VerifyReadSemanticsCache", 7}, {"RSVD1", 0x1FFFF}}},
        {"device capability header, first 8 bytes", &Make<core::CXLDeviceCapabilityHeader>,
         0x0000100002010003ull, 0x0000100002010003ull,
         {{"Capability_ID", 3}, {"Version", 1}, {"Reserved", 2}, {"Offset", 0x1000}}},
        {"header log takes the whole raw value", &Make<core::CXLRASHeaderLog>, pattern, pattern,
         {{"HeaderLog", pattern}}},
        {"link layer capability clears 63:24", &Make<core::CXLLinkLayerCapability>, all,
         0xFFFFFF, {{"LLRWrapValueReceived", 0xFF}}},
        {"correctable status", &Make<core::CXLRASCorrectableErrorStatus>, 0xFF, 0xFF,
         {{"ErrorMask", 0x7F}, {"RSVDZ", 1}}},
        {"correctable mask", &Make<core::CXLRASCorrectableErrorMask>, 0xFF, 0xFF,
         {{"ErrorMask", 0x7F}, {"RSVDZ", 1}}},
        {"rx credits", &Make<core::CXLLinkRxCreditControl>, 0x0004010040100401ull,
         0x0004010040100401ull,
         {{"CacheReqCredits", 1}, {"CacheRspCredits", 1}, {"CacheDataCredits", 1},
          {"MemReq_RspCredits", 1}, {"MemDataCredits", 1}, {"RSVD", 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        core::Register reg = c.make();
        reg.SetValue(c.raw);
        for (const auto& f : c.fields) {
            uint64_t v = 0xDEAD;
            EXPECT_EQ(reg.GetValuebyFieldName(f.first, v), 0) << f.first;
            EXPECT_EQ(v, f.second) << f.first;
        }
        EXPECT_EQ(reg.GetValue(), c.packed);
    }
}

// Packing from fields set by name: the register value the writers build.
TEST(RegisterCatalogue, PacksFieldsSetByName) {
    core::DVSECHeader1 header;
    EXPECT_EQ(header.SetFieldbyName("DVSECVendorID", 0x1E98), 0);
    EXPECT_EQ(header.SetFieldbyName("DVSECRev", 1), 0);
    EXPECT_EQ(header.SetFieldbyName("DVSECLen", 0x38), 0);
    EXPECT_EQ(header.GetValue(), 0x03811E98u);

    // Only the first "RSVD1" is reachable by name.
    core::DVSECCXLStatus2 status;
    EXPECT_EQ(status.SetFieldbyName("RSVD1", 1), 0);
    EXPECT_EQ(status.GetValue(), 0x8u);

    core::DeviceControlRegister control;
    EXPECT_EQ(control.SetFieldbyName("InitiateFLR", 1), 0);
    EXPECT_EQ(control.GetValue(), 0x8000u);
}
