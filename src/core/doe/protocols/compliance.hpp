#pragma once

#include <cstdint>

#include "core/doe/doe_common.hpp"

namespace tarvo {
namespace core {

// Request codes of the CXL Compliance-mode protocol.
enum class ComplianceModes : uint8_t {
    availability = 0,
    status = 1,
    halt_all = 2,
    multiple_write_streaming = 3,
    producer_consumer = 4,
};

// A request without parameters (availability, status, halt all).
struct ComplianceModeRequest {
    DOEHeader header;
    uint8_t req_code;
    uint8_t vers;
    uint16_t reserved;

    ComplianceModeRequest(DOEHeader p_header, uint8_t p_req_code, uint8_t p_vers);
};
static_assert(sizeof(ComplianceModeRequest) == 12, "ComplianceModeRequest is three dwords");

// The two long requests are laid out without padding, as on the wire: their
// 64-bit fields lie at offsets that are multiples of 4 only.
#pragma pack(push, 4)
struct ComplianceModeMultipleWriteStreamingRequest {
    DOEHeader header;
    uint8_t req_code;
    uint8_t vers;
    uint16_t reserved;
    uint8_t protocol;
    uint8_t virtual_addr;
    uint8_t self_checking;
    uint8_t verify_read_semantics;
    uint8_t num_increments;
    uint8_t num_sets;
    uint8_t num_loops;
    uint8_t reserved2;
    uint64_t start_addr;
    uint64_t write_addr;
    uint64_t writeback_addr;
    uint64_t byte_mask;
    uint32_t address_increment;
    uint32_t set_offset;
    uint32_t pattern_p;
    uint32_t increment_pattern_p;

    ComplianceModeMultipleWriteStreamingRequest(
        DOEHeader p_header, uint8_t p_req_code, uint8_t p_vers, uint8_t p_protocol,
        uint8_t p_virtual_addr, uint8_t p_self_checking, uint8_t p_verify_read_semantics,
        uint8_t p_num_increments, uint8_t p_num_sets, uint8_t p_num_loops, uint64_t p_start_addr,
        uint64_t p_write_addr, uint64_t p_writeback_addr, uint64_t p_byte_mask,
        uint32_t p_address_increment, uint32_t p_set_offset, uint32_t p_pattern_p,
        uint32_t p_increment_pattern_p);
};
static_assert(sizeof(ComplianceModeMultipleWriteStreamingRequest) == 68,
              "the multiple write streaming request is 17 dwords");

struct ComplianceModeProducerConsumerRequest {
    DOEHeader header;
    uint8_t req_code;
    uint8_t vers;
    uint16_t reserved;
    uint8_t protocol;
    uint8_t num_increments;
    uint8_t num_sets;
    uint8_t num_loops;
    uint8_t write_semantics;
    uint8_t reserved2[3];
    uint64_t start_addr;
    uint64_t byte_mask;
    uint32_t address_increment;
    uint32_t set_offset;
    uint32_t pattern;

    ComplianceModeProducerConsumerRequest(DOEHeader p_header, uint8_t p_req_code, uint8_t p_vers,
                                          uint8_t p_protocol, uint8_t p_num_increments,
                                          uint8_t p_num_sets, uint8_t p_num_loops,
                                          uint8_t p_write_semantics, uint64_t p_start_addr,
                                          uint64_t p_byte_mask, uint32_t p_address_increment,
                                          uint32_t p_set_offset, uint32_t p_pattern);
};
#pragma pack(pop)
static_assert(sizeof(ComplianceModeProducerConsumerRequest) == 48,
              "the producer consumer request is 12 dwords");

}  // namespace core
}  // namespace tarvo
