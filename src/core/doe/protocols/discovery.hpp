#pragma once

#include <cstdint>

#include "core/doe/doe_common.hpp"

namespace tarvo {
namespace core {

// Asks a mailbox for the protocol at one discovery index.
struct DiscoveryRequest {
    DOEHeader header;
    uint8_t index;
    uint8_t reserved[3];

    DiscoveryRequest(DOEHeader p_header, uint8_t p_index)
        : header(p_header), index(p_index), reserved{0, 0, 0} {}
};
static_assert(sizeof(DiscoveryRequest) == 12, "DiscoveryRequest is three dwords");

// The protocol found at the asked index and the index to ask next (0 ends
// the list).
struct DiscoveryResponse {
    DOEHeader header;
    union {
        uint32_t data;
        struct {
            uint32_t vendor_id : 16;
            uint32_t doe_type : 8;
            uint32_t next_index : 8;
        };
    };
};
static_assert(sizeof(DiscoveryResponse) == 12, "DiscoveryResponse is three dwords");

}  // namespace core
}  // namespace tarvo
