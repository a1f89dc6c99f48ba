#pragma once

#include <cstdint>

#include "core/doe/dataobject.hpp"
#include "core/doe/protocols/cdat.hpp"

namespace tarvo {
namespace core {

// Request codes of the Table Access protocol.
enum class CDATableAccessRequestCodes : uint8_t {
    read = 0,
};

// Tables the Table Access protocol reaches.
enum class CDATableType : uint8_t {
    CDAT = 0,
};

// Builders of Table Access requests.
class DOECDAT {
public:
    // Reads the CDAT entry with the given handle.
    static DataObject<CDATReadEntryRequest> dress_read_entry_req(uint16_t p_entry_handle);
};

}  // namespace core
}  // namespace tarvo
