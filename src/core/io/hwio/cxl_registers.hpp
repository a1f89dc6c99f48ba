#pragma once

#include "core/io/hwio/register.hpp"

namespace tarvo {
namespace core {

// Every catalogue register is a plain core::Register whose constructor fills
// in its name, offset, width and fields; the classes add nothing else.
#define TARVO_CATALOGUE_REGISTER(Class) \
    class Class : public Register {     \
    public:                             \
        Class();                        \
    }

// PCI configuration header.
TARVO_CATALOGUE_REGISTER(VendorId);
TARVO_CATALOGUE_REGISTER(ClassCode);
TARVO_CATALOGUE_REGISTER(CapPointer);
// Capability-list entry and PCI Express Capability structure.
TARVO_CATALOGUE_REGISTER(PCIeCapList);
TARVO_CATALOGUE_REGISTER(PCIeCapReg);
TARVO_CATALOGUE_REGISTER(DeviceControlRegister);
// Extended capability header and the DOE extended capability.
TARVO_CATALOGUE_REGISTER(PCIeExtCapHeader);
TARVO_CATALOGUE_REGISTER(PCIeDOECapRegister);
TARVO_CATALOGUE_REGISTER(PCIeDOEControlRegister);
TARVO_CATALOGUE_REGISTER(PCIeDOEStatusRegister);
TARVO_CATALOGUE_REGISTER(PCIeDOEWriteDataMailboxRegister);
TARVO_CATALOGUE_REGISTER(PCIeDOEReadDataMailboxRegister);
// First dword of a DOE data object (register name "DOEHeader").
TARVO_CATALOGUE_REGISTER(DOEHeader1);
// Type 1 configuration header.
TARVO_CATALOGUE_REGISTER(SecondaryBusNumber);
// DVSEC header.
TARVO_CATALOGUE_REGISTER(DVSECHeader1);
TARVO_CATALOGUE_REGISTER(DVSECHeader2);
// PCIe DVSEC for CXL devices.
TARVO_CATALOGUE_REGISTER(DVSECFlexBusCap);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusControl);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusControl2);
TARVO_CATALOGUE_REGISTER(DVSECCXLStatus2);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusLock);
TARVO_CATALOGUE_REGISTER(DVSECCXLCapability2);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusRange1SizeHigh);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusRange1SizeLow);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusRange1BaseHigh);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusRange1BaseLow);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusRange2SizeHigh);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusRange2SizeLow);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusRange2BaseHigh);
TARVO_CATALOGUE_REGISTER(DVSECFlexBusRange2BaseLow);
// Flex Bus Port DVSEC and Register Locator DVSEC.
TARVO_CATALOGUE_REGISTER(DVSECFlexBusPortCapability);
TARVO_CATALOGUE_REGISTER(DVSECRegLocatorOffsetLow);
TARVO_CATALOGUE_REGISTER(DVSECRegLocatorOffsetHigh);

// Test Capability DVSEC (configuration space).
TARVO_CATALOGUE_REGISTER(DVSECCXLTestCapability1);
TARVO_CATALOGUE_REGISTER(DVSECCXLTestConfigurationBaseLow);
TARVO_CATALOGUE_REGISTER(DVSECCXLTestConfigurationBaseHigh);
// Memory-mapped test-configuration region.
TARVO_CATALOGUE_REGISTER(TestAlgoStartAddress1);
TARVO_CATALOGUE_REGISTER(TestAlgoWriteBackAddress1);
TARVO_CATALOGUE_REGISTER(TestAlgoIncrement);
TARVO_CATALOGUE_REGISTER(TestAlgoPattern);
TARVO_CATALOGUE_REGISTER(TestAlgoByteMask);
TARVO_CATALOGUE_REGISTER(TestAlgoPatternConfiguration);
TARVO_CATALOGUE_REGISTER(TestAlgoAlgorithmConfiguration);
TARVO_CATALOGUE_REGISTER(TestAlgoDeviceErrorInjection);
TARVO_CATALOGUE_REGISTER(TestAlgoCacheMemLinkLayerErrorInjection);
TARVO_CATALOGUE_REGISTER(TestAlgoIOLinkLayerErrorInjection);

// PCIe Advanced Error Reporting extended capability.
TARVO_CATALOGUE_REGISTER(UncorrectableErrorStatus);
// CXL.cache/mem capability headers.
TARVO_CATALOGUE_REGISTER(CXLCapabilityHeader);
TARVO_CATALOGUE_REGISTER(CXLxCapabilityHeader);
// CXL memory device registers.
TARVO_CATALOGUE_REGISTER(CXLDeviceCapabilitiesArray);
TARVO_CATALOGUE_REGISTER(CXLDeviceCapabilityHeader);
// CXL HDM Decoder Capability structure.
TARVO_CATALOGUE_REGISTER(CXLHDMDecoderCapabilityRegister);
// CXL RAS Capability structure.
TARVO_CATALOGUE_REGISTER(CXLRASUncorrectableErrorStatus);
TARVO_CATALOGUE_REGISTER(CXLRASUncorrectableErrorMask);
TARVO_CATALOGUE_REGISTER(CXLRASUncorrectableErrorSeverity);
TARVO_CATALOGUE_REGISTER(CXLRASCorrectableErrorStatus);
TARVO_CATALOGUE_REGISTER(CXLRASCorrectableErrorMask);
TARVO_CATALOGUE_REGISTER(CXLRASErrorCapabilityAndControl);
TARVO_CATALOGUE_REGISTER(CXLRASHeaderLog);
// CXL Link Capability structure.
TARVO_CATALOGUE_REGISTER(CXLLinkLayerCapability);
TARVO_CATALOGUE_REGISTER(CXLLinkControlAndStatus);
TARVO_CATALOGUE_REGISTER(CXLLinkRxCreditControl);
TARVO_CATALOGUE_REGISTER(CXLLinkAckTimerControl);
TARVO_CATALOGUE_REGISTER(CXLLinkDefeature);
// CXL Extensions DVSEC for ports, GPF DVSECs and MLD DVSEC.
TARVO_CATALOGUE_REGISTER(CXLPortControlExtensions);
TARVO_CATALOGUE_REGISTER(GPFPhase1Control);
TARVO_CATALOGUE_REGISTER(GPFPhase2Control);
TARVO_CATALOGUE_REGISTER(GPFPhase2Duration);
TARVO_CATALOGUE_REGISTER(NumberOfLDSupported);

#undef TARVO_CATALOGUE_REGISTER

}  // namespace core
}  // namespace tarvo
