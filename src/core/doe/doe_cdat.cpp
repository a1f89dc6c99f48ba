#include "core/doe/doe_cdat.hpp"

namespace tarvo {
namespace core {

DataObject<CDATReadEntryRequest> DOECDAT::dress_read_entry_req(uint16_t p_entry_handle) {
    const DOEHeader header(DOE_CXL_VENDOR_ID, CXL_DOE_TABLE_ACCESS,
                           sizeof(CDATReadEntryRequest) / sizeof(uint32_t));
    return DataObject<CDATReadEntryRequest>(
        CDATReadEntryRequest(header, static_cast<uint8_t>(CDATableAccessRequestCodes::read),
                             static_cast<uint8_t>(CDATableType::CDAT), p_entry_handle));
}

}  // namespace core
}  // namespace tarvo
