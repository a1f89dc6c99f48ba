// Presence tests: the function is of a CXL port type with the CXL device
// DVSEC, carries the CXL DVSECs its type needs, and serves CDAT over DOE.

#include <memory>
#include <vector>

#include "comptests/cfg_support.hpp"
#include "comptests/check_dvsec_vid.hpp"
#include "comptests/config_tests.hpp"
#include "core/devices/capabilities.hpp"
#include "core/devices/devcomp.hpp"
#include "core/doe/doe.hpp"
#include "core/doe/doe_discovery.hpp"
#include "core/doe/pcie_doe.hpp"
#include "core/doe/protocols/discovery.hpp"
#include "core/io/hwio/cxl_registers.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

using support::field;
using support::hex_record;

namespace {

bool is_switch_or_root_port(uint64_t port_type) {
    return port_type == UP_SWITCH || port_type == DP_SWITCH || port_type == RP;
}

}  // namespace

core::TestResult CFG_1(core::Testools& tt) {
    tt.messenger->info_msg("Device Presence Test launched");
    uint64_t cap_base = 0;
    if (tt.device->GetCapabilityOffset(PCIE_CAP_STRUCTURE, cap_base) != 0)
        return core::FailingTestResult("Fail to find PCIE Capability Structure\n");

    tt.messenger->info_msg("Reading PCI Express Capabilities Register");
    core::PCIeCapReg pcie_cap;
    if (tt.device->ReadPCI(cap_base, pcie_cap) != 0)
        return core::FailingTestResult("Fail to read PCI Express Capabilities Register");

    const uint64_t port_type = field(pcie_cap, "DevPortType");
    if (port_type == RCIEP) {
        tt.messenger->info_msg(
            "CXL Device found as PCIe RCIEP. Possible CXL1.1 device. CXL2.0 should be exposed "
            "as PCIe Endpoint.\n");
    } else if (port_type != PCIE_EP && !is_switch_or_root_port(port_type)) {
        return support::failed_with(
            tt, hex_record("CXL Device is not present or can't be indentified. Type port is ",
                           port_type));
    }

    uint64_t CXL_DEVICE_DVSEC_BASE = 0;
    if (tt.device->GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, CXL_DEVICE_DVSEC_BASE) != 0)
        return core::FailingTestResult("Fail to find PCIe DVSEC for CXL Device");

    tt.messenger->info_msg("Reading Designated Vendor-Specific Header1");
    core::DVSECHeader1 h1;
    if (tt.device->ReadPCI(CXL_DEVICE_DVSEC_BASE, h1) != 0)
        return core::FailingTestResult("Fail to read DVSECHeader1");
    const uint64_t vendor = field(h1, "DVSECVendorID");
    if (vendor != CXL_DVSEC_VENDOR_ID)
        return core::FailingTestResult(
            support::mismatch_record("DVSECVID", CXL_DVSEC_VENDOR_ID, vendor));
    return core::PassingTestResult("");
}

namespace {

// How a missing DVSEC counts in the presence search.
enum class Need {
    always,         // any failure of the search fails the test
    optional,       // absence is accepted, a bad header is not
    ports,          // absence fails only switch ports and root ports
    not_consulted,  // the search is logged but never fails the test
};

struct DvsecSearch {
    const char* announce;
    DVSEC_ID_t id;
    Need need;
    const char* failure;       // a bad header, or any failure when always needed
    const char* port_failure;  // absence on a switch port or root port
};

const DvsecSearch kSearches[] = {
    {"Search for PCI Express DVSEC", PCIE_DVSEC_FOR_CXL_DEV, Need::always,
     "Fail to find PCI Express DVSEC", nullptr},
    {"Search for Non-CXL Function Map DVSEC", NON_CXL_FUNCTION_DVSEC, Need::optional,
     "Fail to find Non-CXL Function Map DVSEC", nullptr},
    {"Search for CXL 2.0 Extensions DVSEC for Ports", CXL_EXTENTION_PORTS_DVSEC, Need::ports,
     "Fail to find CXL 2.0 Extensions DVSEC for Ports",
     "Fail to find CXL 2.0 Extensions DVSEC for Upstream Port"},
    {"Search for GPF DVSEC for CXL Port", CXL_GPF_PORT_DVSEC, Need::ports,
     "Fail to find GPF DVSEC for CXL for Ports",
     "Fail to find GPF DVSEC for CXL for Upstream Port"},
    {"Search for GPF DVSEC for CXL Device", CXL_GPF_DEVICE_DVSEC, Need::always,
     "Fail to find  GPF DVSEC for CXL Device", nullptr},
    {"Search for PCIe DVSEC for Flex Bus Port", Flex_Bus_Port_DVSEC, Need::always,
     "Fail to find PCIe DVSEC for Flex Bus Port", nullptr},
    {"Search for Register Locator DVSEC", REG_LOCATOR_DVSEC, Need::always,
     "Fail to find Register Locator DVSEC", nullptr},
    {"Search for MLD DVSEC", CXL_MLD_DVSEC, Need::not_consulted, nullptr, nullptr},
};

}  // namespace

core::TestResult CFG_2(core::Testools& tt) {
    tt.messenger->info_msg("CXL Device Capabilities Test launched");
    for (const DvsecSearch& search : kSearches) {
        tt.messenger->info_msg(search.announce);
        uint64_t dvsecbase = 0;
        const int found = check_dvsec_vid(tt, search.id, dvsecbase);
        if (found == 0 || search.need == Need::not_consulted) continue;
        const bool absent = found == -1;
        if (search.need == Need::always || !absent) return core::FailingTestResult(search.failure);
        if (search.need == Need::ports && is_switch_or_root_port(tt.device->GetCompType()))
            return core::FailingTestResult(search.port_failure);
    }
    tt.messenger->info_msg("Test complete");
    return core::PassingTestResult("");
}

core::TestResult CFG_3(core::Testools& tt) {
    const uint32_t EXPECTED_VENDOR_ID = 0x1E98;
    const uint32_t EXPECTED_COMPLIANCE_PROT = 0;
    const uint32_t EXPECTED_CDAT_PROT = 2;
    const int EXPECTED_SUPPORTED_PROTS = 1;
    int contains = 0;

    tt.messenger->info_msg("DOE Capabilities Test launched");
    using Transport = core::doe<core::DiscoveryRequest, core::DiscoveryResponse>;
    std::shared_ptr<Transport> doexchanger =
        std::make_shared<core::pcie_doe<core::DiscoveryRequest, core::DiscoveryResponse>>();
    std::shared_ptr<core::Discovery> discoverer = std::make_shared<core::DOEDiscovery>(doexchanger);
    tt.messenger->info_msg("DOE began functioning under Discovery Protocol");

    const std::vector<core::DOECap> found_capabilities = discoverer->discover(tt.target);
    for (const core::DOECap& cap : found_capabilities) {
        if (cap.vendor_id != EXPECTED_VENDOR_ID) continue;
        if (cap.doe_type == EXPECTED_COMPLIANCE_PROT)
            tt.messenger->info_msg("Device supports DOE Compliance Protocol.");
        if (cap.doe_type == EXPECTED_CDAT_PROT) {
            ++contains;
            tt.messenger->info_msg("Device supports DOE CDAT Protocol.");
        }
    }
    if (contains >= EXPECTED_SUPPORTED_PROTS) return core::PassingTestResult("");
    return core::FailingTestResult(
        "Device did not pass one or more DOE Protocols (Compliance/CDAT).");
}

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
