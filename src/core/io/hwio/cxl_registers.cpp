#include "core/io/hwio/cxl_registers.hpp"

#include <initializer_list>

namespace tarvo {
namespace core {

namespace {

// One row of a register's field table.
struct FieldSpec {
    FieldSpec(const char* name_, uint64_t lowbit_, uint64_t width_)
        : name(name_), description(""), lowbit(lowbit_), width(width_) {}
    FieldSpec(const char* name_, const char* description_, uint64_t lowbit_, uint64_t width_)
        : name(name_), description(description_), lowbit(lowbit_), width(width_) {}

    const char* name;
    const char* description;
    uint64_t lowbit;
    uint64_t width;
};

// Appends the fields in table order, each starting at value 0.
void AppendFields(Register& reg, std::initializer_list<FieldSpec> specs) {
    for (const auto& spec : specs) {
        reg.fields.push_back(RegisterField(spec.name, spec.description, spec.lowbit, spec.width, 0));
    }
}

const char* const kPCIeCapStructure = "Indicate the PCI Express Capability Structure";

}  // namespace

// Defines the constructor of one catalogue class: register name, offset in
// bytes, width in bits, then its field table.
#define TARVO_REGISTER(Class, RegName, Offset, Width, ...)      \
    Class::Class() : Register(RegName, "", "", Offset, Width) { \
        AppendFields(*this, {__VA_ARGS__});                     \
    }

// ---- PCI configuration header ----
TARVO_REGISTER(VendorId, "VendorId", 0x0, 16,
    {"VendorId", kPCIeCapStructure, 0, 16})
TARVO_REGISTER(ClassCode, "ClassCode", 0x9, 24,
    {"PI", 0, 8}, {"SCC", 8, 8}, {"BCC", 16, 8})
TARVO_REGISTER(CapPointer, "CapPointer", 0x34, 8,
    {"CapPointer", 0, 8})

// ---- Capability-list entry and PCI Express Capability structure ----
TARVO_REGISTER(PCIeCapList, "PCIeCapList", 0x0, 16,
    {"CapID", kPCIeCapStructure, 0, 8},
    {"NextCapPointer", kPCIeCapStructure, 8, 8})
TARVO_REGISTER(PCIeCapReg, "PCIeCapReg", 0x2, 16,
    {"DevPortType", "Indicate the specific type of this PCI Express Function", 4, 4})
TARVO_REGISTER(DeviceControlRegister, "DeviceControlRegister", 0x8, 16,
    {"InitiateFLR", 15, 1})

// ---- Extended capability header and DOE extended capability ----
TARVO_REGISTER(PCIeExtCapHeader, "PCIeExtCapHeader", 0x0, 32,
    {"PCIeExtCapID", "This field is a PCI-SIG defined ID number", 0, 16},
    {"CapVer", "PCI-sig defined Capability version", 16, 4},
    {"NextCapOffset", "Contain offset to next capability structure", 20, 12})
TARVO_REGISTER(PCIeDOECapRegister, "PCIeDOECapRegister", 0x4, 32,
    {"DOEIntrSupp", "Indicates DOE support for availability of data object", 0, 1},
    {"DOEIntrMsgNum", "Indicates which MSI-X vector is used for intr msg.", 1, 11})
TARVO_REGISTER(PCIeDOEControlRegister, "PCIeDOEControlRegister", 0x8, 32,
    {"DOEAbort", "Indicate the cause of all data object transfer operations to be aborted.", 0, 1},
    {"DOEIntrEnable", "DOE instance will issue an MSI/MSI-X interrupt.", 1, 1},
    {"DOEGo", "Indicates to the DOE instance it can start consuming data.", 31, 1})
TARVO_REGISTER(PCIeDOEStatusRegister, "PCIeDOEStatusRegister", 0xC, 32,
    {"DOEBusy", "Indicates DOE instance is temporarily unable to receive new data.", 0, 1},
    {"DOEIntrStatus", "Indicate Data Object Ready, Error, or Busy bit is set.", 1, 1},
    {"DOEErr", "Indicates there has been internal error.", 2, 1},
    {"DOEReady", "Indicates DOE has data object available to be read.", 31, 1})
TARVO_REGISTER(PCIeDOEWriteDataMailboxRegister, "PCIeDOEWriteDataMailboxRegister", 0x10, 32,
    {"DOEWriteDataMailbox", "DOE instance receives data via writes to this register.", 0, 32})
TARVO_REGISTER(PCIeDOEReadDataMailboxRegister, "PCIeDOEReadDataMailboxRegister", 0x14, 32,
    {"DOEReadDataMailbox", "A read of this register returns current DW of data object.", 0, 32})

// ---- DOE data-object header, first dword ----
TARVO_REGISTER(DOEHeader1, "DOEHeader", 0x0, 32,
    {"DOEVendorID", 0, 16}, {"DataObjectType", 16, 8})

// ---- Type 1 configuration header ----
TARVO_REGISTER(SecondaryBusNumber, "SecondaryBusNumber", 0x19, 8,
    {"SecondaryBusNumber", 0, 8})

// ---- DVSEC header ----
TARVO_REGISTER(DVSECHeader1, "DVSECHeader1", 0x4, 32,
    {"DVSECVendorID", 0, 16}, {"DVSECRev", 16, 4}, {"DVSECLen", 20, 12})
TARVO_REGISTER(DVSECHeader2, "DVSECHeader2", 0x8, 16,
    {"DVSECID", 0, 16})

// ---- PCIe DVSEC for CXL devices ----
// Memory ranges 1 and 2 share one layout, 0x10 apart.
#define TARVO_RANGE_SIZE_LOW                                                   \
    {"MemoryInfoValid", 0, 1}, {"MemoryActive", 1, 1}, {"MediaType", 2, 3},    \
        {"MemoryClass", 5, 3}, {"DesiredInterleave", 8, 3}, {"RSVD", 11, 17}, \
        {"MemorySizeLow", 28, 4}
#define TARVO_RANGE_BASE_LOW {"RSVD", 0, 28}, {"MemoryBaseLow", 28, 4}

TARVO_REGISTER(DVSECFlexBusCap, "DVSECFlexBusCap", 0xA, 16,
    {"CacheCapable", 0, 1}, {"IOCapable", 1, 1}, {"MemCapable", 2, 1},
    {"MemHwInitMode", 3, 1}, {"HDMCount", 4, 2},
    {"CacheWriteBackAndInvalidateCapable", 6, 1}, {"CXLResetCapable", 7, 1},
    {"CXLResetTimeout", 8, 3}, {"CXLResetMemClrCapable", 11, 1}, {"RSVD0", 12, 1},
    {"MultipleLogicalDevice", 13, 1}, {"ViralCapable", 14, 1}, {"RSVD1", 15, 1})
TARVO_REGISTER(DVSECFlexBusControl, "DVSECFlexBusControl", 0xC, 16,
    {"CacheEnable", 0, 1}, {"IOEnable", 1, 1}, {"MemEnable", 2, 1},
    {"CacheSFCoverage", 3, 5}, {"CacheSFGranularity", 8, 3}, {"CacheCleanEviction", 11, 1},
    {"RSVD", 12, 2}, {"ViralEnable", 14, 1}, {"RSVD1", 15, 1})
TARVO_REGISTER(DVSECFlexBusControl2, "DVSECFlexBusControl2", 0x10, 16,
    {"DisableCaching", 0, 1}, {"InitiateCache", 1, 1}, {"InitiateCXLReset", 2, 1},
    {"CXLResetMemClrEnable", 3, 1}, {"RSVD1", 4, 12})
// Both reserved ranges carry the name "RSVD1"; a lookup reaches bits 14:3.
TARVO_REGISTER(DVSECCXLStatus2, "DVSECCXLStatus2", 0x12, 16,
    {"CacheInvalid", 0, 1}, {"CXLResetComplete", 1, 1}, {"CXLResetError", 2, 1},
    {"RSVD1", 3, 12}, {"RSVD1", 15, 1})
TARVO_REGISTER(DVSECFlexBusLock, "DVSECFlexBusLock", 0x14, 16,
    {"ConfigLock", 0, 1}, {"RSVD", 1, 15})
TARVO_REGISTER(DVSECCXLCapability2, "DVSECCXLCapability2", 0x16, 16,
    {"CacheSizeUnit", 0, 4}, {"RSVD", 4, 4}, {"CacheSize", 8, 8})
TARVO_REGISTER(DVSECFlexBusRange1SizeHigh, "DVSECFlexBusRange1SizeHigh", 0x18, 32,
    {"MemorySizeHigh", 0, 32})
TARVO_REGISTER(DVSECFlexBusRange1SizeLow, "DVSECFlexBusRange1SizeLow", 0x1C, 32,
    TARVO_RANGE_SIZE_LOW)
TARVO_REGISTER(DVSECFlexBusRange1BaseHigh, "DVSECFlexBusRange1BaseHigh", 0x20, 32,
    {"MemoryBaseHigh", 0, 32})
TARVO_REGISTER(DVSECFlexBusRange1BaseLow, "DVSECFlexBusRange1BaseLow", 0x24, 32,
    TARVO_RANGE_BASE_LOW)
TARVO_REGISTER(DVSECFlexBusRange2SizeHigh, "DVSECFlexBusRange2SizeHigh", 0x28, 32,
    {"MemorySizeHigh", 0, 32})
TARVO_REGISTER(DVSECFlexBusRange2SizeLow, "DVSECFlexBusRange2SizeLow", 0x2C, 32,
    TARVO_RANGE_SIZE_LOW)
TARVO_REGISTER(DVSECFlexBusRange2BaseHigh, "DVSECFlexBusRange2BaseHigh", 0x30, 32,
    {"MemoryBaseHigh", 0, 32})
TARVO_REGISTER(DVSECFlexBusRange2BaseLow, "DVSECFlexBusRange2BaseLow", 0x34, 32,
    TARVO_RANGE_BASE_LOW)

// ---- Flex Bus Port DVSEC ----
TARVO_REGISTER(DVSECFlexBusPortCapability, "DVSECFlexBusPortCapability", 0xA, 16,
    {"CacheCapable", 0, 1}, {"IOCapable", 1, 1}, {"MemCapable", 2, 1}, {"RSVD", 3, 2},
    {"CXL2p0Capable", 5, 1}, {"CXLMultiLogicalDeviceCapable", 6, 1}, {"RSVD1", 7, 9})

// ---- Register Locator DVSEC: entry 0; entry n is read with the base moved by 8 * n ----
TARVO_REGISTER(DVSECRegLocatorOffsetLow, "DVSECRegLocatorOffsetLow", 0xC, 32,
    {"RegBlockBIR", 0, 3}, {"RSVD", 3, 5}, {"RegBlockIdentifier", 8, 8},
    {"RegBlockOffsetLow", 16, 16})
TARVO_REGISTER(DVSECRegLocatorOffsetHigh, "DVSECRegLocatorOffsetHigh", 0x10, 32,
    {"RegBlockOffsetHigh", 0, 32})

// ---- Test Capability DVSEC ----
TARVO_REGISTER(DVSECCXLTestCapability1, "DVSECCXLTestCapability1", 0xC, 32,
    {"SelfChecking", 0, 1}, {"Algorithm1a", 1, 1}, {"Algorithm1b", 2, 1},
    {"Algorithm2", 3, 1}, {"RdCurr", 4, 1}, {"RdOwn", 5, 1}, {"RdShared", 6, 1},
    {"RdAny", 7, 1}, {"RdOwnNoData", 8, 1}, {"ItoMWr", 9, 1}, {"MemWr", 10, 1},
    {"CLFlush", 11, 1}, {"CleanEvict", 12, 1}, {"DirtyEvict", 13, 1},
    {"CleanEvictNoData", 14, 1}, {"WOWrInv", 15, 1}, {"WOWrInvF", 16, 1},
    {"WrInv", 17, 1}, {"CacheFlushed", 18, 1}, {"UnexpectedCompletion", 19, 1},
    {"CompletionTimeoutInjection", 20, 1}, {"RSVD", 21, 3}, {"ConfigurationSize", 24, 8})
TARVO_REGISTER(DVSECCXLTestConfigurationBaseLow, "DVSECCXLTestConfigurationBaseLow", 0x14, 32,
    {"MemorySpaceIndicator", 0, 1}, {"Type", 1, 2}, {"RSVD", 3, 1}, {"BaseLow", 4, 28})
TARVO_REGISTER(DVSECCXLTestConfigurationBaseHigh, "DVSECCXLTestConfigurationBaseHigh", 0x18, 32,
    {"BaseHigh", 0, 32})

// ---- Memory-mapped test-configuration region ----
TARVO_REGISTER(TestAlgoStartAddress1, "TestAlgoStartAddress1", 0x0, 64,
    {"StartAddress1", 0, 64})
TARVO_REGISTER(TestAlgoWriteBackAddress1, "TestAlgoWriteBackAddress1", 0x8, 64,
    {"WriteBackAddress1", 0, 64})
TARVO_REGISTER(TestAlgoIncrement, "TestAlgoIncrement", 0x10, 64,
    {"AddressIncrement", 0, 32}, {"SetOffset", 32, 32})
TARVO_REGISTER(TestAlgoPattern, "TestAlgoPattern", 0x18, 64,
    {"Pattern1", 0, 32}, {"Pattern2", 32, 32})
TARVO_REGISTER(TestAlgoByteMask, "TestAlgoByteMask", 0x20, 64,
    {"ByteMask", 0, 64})
TARVO_REGISTER(TestAlgoPatternConfiguration, "TestAlgoPatternConfiguration", 0x28, 64,
    {"PatternSize", 0, 3}, {"PatternParameter", 3, 1}, {"RSVD", 4, 60})
TARVO_REGISTER(TestAlgoAlgorithmConfiguration, "TestAlgoAlgorithmConfiguration", 0x30, 64,
    {"Algorithm", 0, 3}, {"SelfChecking", 3, 1}, {"RSVD", 4, 4},
    {"NumberOfAddrIncrements", 8, 8}, {"NumberOfSets", 16, 8}, {"NumberOfLoops", 24, 8},
    {"AddressIsVirtual", 32, 1}, {"Protocol", 33, 3}, {"WriteSemanticsCache", 36, 4},
    {"FlushCache", 40, 1}, {"ExecuteReadSemanticsCache", 41, 3},
    {"VerifyReadSemanticsCache", 44, 3}, {"RSVD1", 47, 17})
TARVO_REGISTER(TestAlgoDeviceErrorInjection, "TestAlgoDeviceErrorInjection", 0x38, 32,
    {"UnexpectedCompletionInjection", 0, 1}, {"UnexpectedCompletionInjectionBusy", 1, 1},
    {"CompleterTimeout", 2, 1}, {"CompleterTimeoutInjectionBusy", 3, 1}, {"RSVD", 4, 28})
// The two link-layer error-injection registers are defined at 0x70; nothing
// reads or writes them, so they keep that offset although they share it.
TARVO_REGISTER(TestAlgoCacheMemLinkLayerErrorInjection,
               "TestAlgoCacheMemLinkLayerErrorInjection", 0x70, 64,
    {"CachePoisonInjectionStart", 0, 1}, {"CachePoisonInjectionBusy", 1, 1},
    {"MemPoisonInjectionStart", 2, 1}, {"MemPoisonInjectionBusy", 3, 1},
    {"IOPoisonInjectionStart", 4, 1}, {"IOPoisonInjectionBusy", 5, 1},
    {"CacheMemCRCInjection", 6, 2}, {"CacheMemCRCInjectionCount", 8, 2},
    {"CacheMemCRCInjectionBusy", 10, 2})
// "FlowControlErrorInjection" names bits 2 and 3; a lookup reaches bit 2.
TARVO_REGISTER(TestAlgoIOLinkLayerErrorInjection, "TestAlgoIOLinkLayerErrorInjection", 0x70, 64,
    {"IOPoisonInjectionStart", 0, 1}, {"IOPoisonInjectionBusy", 1, 1},
    {"FlowControlErrorInjection", 2, 1}, {"FlowControlErrorInjection", 3, 1})

// ---- PCIe Advanced Error Reporting extended capability ----
TARVO_REGISTER(UncorrectableErrorStatus, "UncorrectableErrorStatus", 0x4, 32,
    {"Undefined", 0, 1}, {"RSVDZ", 1, 3}, {"DataLinkProtocolErrorStatus", 4, 1},
    {"SurpriseDownErrorStatus", 5, 1}, {"RSVDZ1", 6, 6}, {"PoisonTLPReceived", 12, 1},
    {"FlowControlProtocolErrorStatus", 13, 1}, {"CompletionTimeoutStatus", 14, 1},
    {"CompletionAbortStatus", 15, 1}, {"UnexpectedCompletionStatus", 16, 1},
    {"ReceiverOverflowStatus", 17, 1}, {"MalformedTLPStatus", 18, 1},
    {"ECRCErrorStatus", 19, 1}, {"UnsupportedRequestErrorStatus", 20, 1},
    {"ACSViolationStatus", 21, 1}, {"UncorrectableInternalErrorStatus", 22, 1},
    {"MCBlockedTLPStatus", 23, 1}, {"AtomicOpEgressBlockedStatus", 24, 1},
    {"TLPPrefixBlockedErrorStatus", 25, 1}, {"PoisonedTLPEgressBlockedStatus", 26, 1},
    {"RSVDZ2", 27, 5})

// ---- CXL.cache/mem capability headers ----
TARVO_REGISTER(CXLCapabilityHeader, "CXLCapabilityHeader", 0x0, 32,
    {"CXL_Capability_ID", 0, 16}, {"CXL_Capability_Version", 16, 4},
    {"CXL_Cache_Mem_Version", 20, 4}, {"Array_Size", 24, 8})
TARVO_REGISTER(CXLxCapabilityHeader, "CXLxCapabilityHeader", 0x0, 32,
    {"CXL_Capability_ID", 0, 16}, {"CXL_Capability_Version", 16, 4},
    {"CXL_X_Capability_Pointer", 20, 12})

// ---- CXL memory device registers ----
TARVO_REGISTER(CXLDeviceCapabilitiesArray, "CXLDeviceCapabilitiesArray", 0x0, 64,
    {"Capability_ID", 0, 16}, {"Version", 16, 8}, {"Reserved", 24, 8},
    {"Capabilities_Count", 32, 16})
// 16 bytes wide; its fields lie in the first 8 bytes.
TARVO_REGISTER(CXLDeviceCapabilityHeader, "CXLDeviceCapabilityHeader", 0x0, 128,
    {"Capability_ID", 0, 16}, {"Version", 16, 8}, {"Reserved", 24, 8}, {"Offset", 32, 32})

// ---- CXL HDM Decoder Capability structure ----
TARVO_REGISTER(CXLHDMDecoderCapabilityRegister, "CXLHDMDecoderCapabilityRegister", 0x0, 32,
    {"DecoderCount", 0, 4}, {"TargetCount", 4, 4}, {"AddressBit_11_8", 8, 1},
    {"AddressBit_14_12", 9, 1}, {"PoisonOnDecodeErrorCapability", 10, 1},
    {"Reserved", 11, 21})

// ---- CXL RAS Capability structure ----
TARVO_REGISTER(CXLRASUncorrectableErrorStatus, "CXLRASUncorrectableErrorStatus", 0x0, 32,
    {"Cache_Data_Parity", 0, 1}, {"Cache_Address_Parity", 1, 1}, {"Cache_BE_Parity", 2, 1},
    {"Cache_Data_ERR", 3, 1}, {"Mem_Data_Parity", 4, 1}, {"Mem_Address_Parity", 5, 1},
    {"Mem_BE_Parity", 6, 1}, {"Mem_Data_ECC", 7, 1}, {"REINIT_Threshold", 8, 1},
    {"Rsvd_Encoding_Violation", 9, 1}, {"Poison_Received", 10, 1},
    {"Receiver_Overflow", 11, 1}, {"RSVDZ", 12, 2}, {"Internal_Error", 14, 1},
    {"CXL_IDE_Tx_Error", 15, 1}, {"CXL_IDE_Rx_Error", 16, 1}, {"RSVDZ1", 17, 15})
// The twelve per-error mask bits form one field "ErrorMask".
TARVO_REGISTER(CXLRASUncorrectableErrorMask, "CXLRASUncorrectableErrorMask", 0x4, 32,
    {"ErrorMask", 0, 12}, {"RSVDZ", 12, 2}, {"Internal_Error_Mask", 14, 1},
    {"CXL_IDE_Tx_Error_Mask", 15, 1}, {"CXL_IDE_Rx_Error_Mask", 16, 1}, {"RSVDZ1", 17, 15})
TARVO_REGISTER(CXLRASUncorrectableErrorSeverity, "CXLRASUncorrectableErrorSeverity", 0x8, 32,
    {"ErrorSeverity", 0, 12}, {"RSVDZ", 12, 2}, {"Internal_Error_Severity", 14, 1},
    {"CXL_IDE_Tx_Error_Severity", 15, 1}, {"CXL_IDE_Rx_Error_Severity", 16, 1},
    {"RSVDZ1", 17, 15})
TARVO_REGISTER(CXLRASCorrectableErrorStatus, "CXLRASCorrectableErrorStatus", 0xC, 32,
    {"ErrorMask", 0, 7}, {"RSVDZ", 7, 25})
TARVO_REGISTER(CXLRASCorrectableErrorMask, "CXLRASCorrectableErrorMask", 0x10, 32,
    {"ErrorMask", 0, 7}, {"RSVDZ", 7, 25})
TARVO_REGISTER(CXLRASErrorCapabilityAndControl, "CXLRASErrorCapabilityAndControl", 0x14, 32,
    {"First_Error_Pointer", 0, 6}, {"RSVDZ", 6, 3},
    {"Multiple_Header_Recording_Capability", 9, 1}, {"RSVDZ1", 10, 3},
    {"Poison_Enable", 13, 1}, {"RSVDZ2", 14, 18})
// 64 bytes wide; its value carries the first 8 bytes of the log.
TARVO_REGISTER(CXLRASHeaderLog, "CXLRASHeaderLog", 0x18, 512,
    {"HeaderLog", 0, 512})

// ---- CXL Link Capability structure ----
TARVO_REGISTER(CXLLinkLayerCapability, "CXLLinkLayerCapability", 0x0, 64,
    {"CXLLinkVersionSup", 0, 4}, {"CXLLinkVersionReceived", 4, 4},
    {"LLRWrapValueSup", 8, 8}, {"LLRWrapValueReceived", 16, 8})
TARVO_REGISTER(CXLLinkControlAndStatus, "CXLLinkControlAndStatus", 0x8, 64,
    {"LL_Reset", 0, 1}, {"LL_Init_Stall", 1, 1}, {"LL_Crd_Stall", 2, 1})
TARVO_REGISTER(CXLLinkRxCreditControl, "CXLLinkRxCreditControl", 0x10, 64,
    {"CacheReqCredits", 0, 10}, {"CacheRspCredits", 10, 10}, {"CacheDataCredits", 20, 10},
    {"MemReq_RspCredits", 30, 10}, {"MemDataCredits", 40, 10}, {"RSVD", 50, 14})
TARVO_REGISTER(CXLLinkAckTimerControl, "CXLLinkAckTimerControl", 0x28, 64,
    {"AckForceThreshold", 0, 8}, {"AckorCRDFlushRetimer", 8, 10}, {"RSVD", 18, 46})
TARVO_REGISTER(CXLLinkDefeature, "CXLLinkDefeature", 0x30, 64,
    {"MDHDisable", 0, 1}, {"RSVD", 1, 63})

// ---- CXL Extensions DVSEC for ports ----
TARVO_REGISTER(CXLPortControlExtensions, "CXLPortControlExtensions", 0xC, 16,
    {"UnmaskSBR", 0, 1}, {"UnmaskLinkDisable", 1, 1}, {"AltMemoryAndIDSpaceEnable", 2, 1},
    {"AltBME", 3, 1}, {"RSVD", 4, 10}, {"ViralEnable", 14, 1}, {"RSVD1", 15, 1})

// ---- GPF DVSEC for ports (both controls share one dword) and for devices ----
TARVO_REGISTER(GPFPhase1Control, "GPFPhase1Control", 0xC, 16,
    {"PortGPFPhase1TimeoutBase", 0, 4}, {"RSVD", 4, 4},
    {"PortGPFPhase1TimeoutScale", 8, 4}, {"RSVD1", 12, 4})
TARVO_REGISTER(GPFPhase2Control, "GPFPhase2Control", 0xE, 16,
    {"PortGPFPhase2TimeoutBase", 0, 4}, {"RSVD", 4, 4},
    {"PortGPFPhase2TimeoutScale", 8, 4}, {"RSVD1", 12, 4})
TARVO_REGISTER(GPFPhase2Duration, "GPFPhase2Duration", 0xA, 16,
    {"DeviceGPFPhase2TimeBase", 0, 4}, {"RSVD", 4, 4},
    {"DeviceGPFPhase2TimeScale", 8, 4}, {"RSVD1", 12, 4})

// ---- MLD DVSEC ----
TARVO_REGISTER(NumberOfLDSupported, "NumberOfLDSupported", 0xA, 16,
    {"NumberOfLDsSupported", 0, 16})

#undef TARVO_RANGE_BASE_LOW
#undef TARVO_RANGE_SIZE_LOW
#undef TARVO_REGISTER

}  // namespace core
}  // namespace tarvo
