#pragma once

#include <cstdint>
#include <string>

#include "core/doe/doe_common.hpp"

namespace tarvo {
namespace core {

// Table Access protocol: read one entry of the device's CDAT.
struct CDATReadEntryRequest {
    DOEHeader header;
    uint8_t req_code;
    uint8_t table_type;
    uint16_t entry_handle;

    CDATReadEntryRequest(DOEHeader p_header, uint8_t p_req_code, uint8_t p_table_type,
                         uint16_t p_entry_handle)
        : header(p_header),
          req_code(p_req_code),
          table_type(p_table_type),
          entry_handle(p_entry_handle) {}
};
static_assert(sizeof(CDATReadEntryRequest) == 12, "CDATReadEntryRequest is three dwords");

// The answer to a read entry request: status, table type, the handle of the
// next entry and the entry data.
struct CDATReadEntryResponse {
    DOEHeader header;
    uint8_t rsp_code;
    uint8_t table_type;
    uint16_t entry_handle;
    uint8_t table[500];

    // Header and status as text; the table bytes are left out.
    std::string str() const;
};
static_assert(sizeof(CDATReadEntryResponse) == 512, "CDATReadEntryResponse is 128 dwords");

}  // namespace core
}  // namespace tarvo
