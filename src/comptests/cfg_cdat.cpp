// CDAT access through the table-access DOE mailbox, and the test that is
// always skipped.

#include <memory>
#include <sstream>

#include "comptests/config_tests.hpp"
#include "core/doe/dataobject.hpp"
#include "core/doe/doe.hpp"
#include "core/doe/doe_cdat.hpp"
#include "core/doe/doe_receipt.hpp"
#include "core/doe/pcie_doe.hpp"
#include "core/doe/protocols/cdat.hpp"
#include "core/io/doediscoverer.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

core::TestResult CFG_23(core::Testools& tt) {
    const uint32_t EXPECTED_VENDOR_ID = 0x1E98;
    const uint32_t EXPECTED_TABLE_ACCESS_RESPONSE = 0;
    const uint32_t EXPECTED_TABLE_TYPE = 0;

    tt.messenger->info_msg("Table Access DOE Test Launched.");
    using Transport = core::doe<core::CDATReadEntryRequest, core::CDATReadEntryResponse>;
    std::shared_ptr<Transport> doexchanger =
        std::make_shared<core::pcie_doe<core::CDATReadEntryRequest, core::CDATReadEntryResponse>>();
    tt.messenger->info_msg("DOE began functioning under CDAT protocols.");

    core::DataObject<core::CDATReadEntryRequest> request =
        std::make_shared<core::DOECDAT>()->dress_read_entry_req(0);

    // Without a mailbox that serves CDAT there is nobody to ask.
    io::DOEDiscoverer cdat_offset_discoverer(tt.target);
    uint64_t cdat_offset = 0;
    if (cdat_offset_discoverer.doe_offset(CXL_DOE_TABLE_ACCESS, cdat_offset) != 0)
        return core::FailingTestResult("Fail to find DOE mailbox supporting CDAT.");

    const core::DOEReply<core::CDATReadEntryResponse> reply =
        doexchanger->exchange(tt.target, static_cast<uint32_t>(cdat_offset), request);
    tt.messenger->info_msg("CDAT Read Entry Request for DOE Created.");
    // Past a malformed answer the record holds zero fill the device never
    // sent; neither dump nor judge it.
    if (!reply.receipt.well_formed()) {
        std::ostringstream why;
        why << "Malformed CDAT Read Entry response from the DOE mailbox at 0x" << std::hex
            << cdat_offset << ": " << reply.receipt.faults() << ".";
        return core::FailingTestResult(why.str());
    }
    const core::DataObject<core::CDATReadEntryResponse>& rsp = reply.response;
    const core::CDATReadEntryResponse& payload = rsp.protocol();
    tt.messenger->block_msg(payload.str(), false);

    // A whole object of another protocol, or one too short for a status, is
    // no table-access response.
    const bool is_cdat_response = payload.header.vendor_id == EXPECTED_VENDOR_ID &&
                                  payload.header.doe_type == CXL_DOE_TABLE_ACCESS &&
                                  payload.header.length >= 3;
    if (!is_cdat_response) return core::FailingTestResult("");

    if (payload.rsp_code == EXPECTED_TABLE_ACCESS_RESPONSE &&
        payload.table_type == EXPECTED_TABLE_TYPE) {
        tt.messenger->field_msg("rsp_code", static_cast<uint32_t>(payload.rsp_code),
                                "should be 0x0", false);
        tt.messenger->field_msg("table_type", static_cast<uint32_t>(payload.table_type),
                                "should be 0x0", false);
        return core::PassingTestResult("rsp_code & table_type has been verified.");
    }
    return core::FailingTestResult("");
}

core::TestResult CFG_24(core::Testools&) {
    return core::SkippedTestResult("");
}

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
