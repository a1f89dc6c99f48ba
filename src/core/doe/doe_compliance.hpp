#pragma once

#include <cstdint>

#include "core/doe/dataobject.hpp"
#include "core/doe/protocols/compliance.hpp"

namespace tarvo {
namespace core {

// Base of the protocol request builders.
class Compliance {};

// Builders of CXL Compliance-mode requests.
class DOECompliance : public Compliance {
public:
    static DataObject<ComplianceModeRequest> dress_availability_req();
    static DataObject<ComplianceModeRequest> dress_status_req();
    static DataObject<ComplianceModeRequest> dress_halt_all_req();
    static DataObject<ComplianceModeMultipleWriteStreamingRequest>
    dress_multiple_write_streaming_req(uint8_t p_protocol, uint8_t p_virtual_addr,
                                       uint8_t p_self_checking, uint8_t p_verify_read_semantics,
                                       uint8_t p_num_increments, uint8_t p_num_sets,
                                       uint8_t p_num_loops, uint64_t p_start_addr,
                                       uint64_t p_write_addr, uint64_t p_writeback_addr,
                                       uint64_t p_byte_mask, uint32_t p_address_increment,
                                       uint32_t p_set_offset, uint32_t p_pattern_p,
                                       uint32_t p_increment_pattern_p);
    static DataObject<ComplianceModeProducerConsumerRequest> dress_producer_consumer_req(
        uint8_t p_protocol, uint8_t p_num_increments, uint8_t p_num_sets, uint8_t p_num_loops,
        uint8_t p_write_semantics, uint64_t p_start_addr, uint64_t p_byte_mask,
        uint32_t p_address_increment, uint32_t p_set_offset, uint32_t p_pattern);
};

}  // namespace core
}  // namespace tarvo
