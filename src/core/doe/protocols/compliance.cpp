#include "core/doe/protocols/compliance.hpp"

namespace tarvo {
namespace core {

ComplianceModeRequest::ComplianceModeRequest(DOEHeader p_header, uint8_t p_req_code,
                                             uint8_t p_vers)
    : header(p_header), req_code(p_req_code), vers(p_vers), reserved(0) {}

ComplianceModeMultipleWriteStreamingRequest::ComplianceModeMultipleWriteStreamingRequest(
    DOEHeader p_header, uint8_t p_req_code, uint8_t p_vers, uint8_t p_protocol,
    uint8_t p_virtual_addr, uint8_t p_self_checking, uint8_t p_verify_read_semantics,
    uint8_t p_num_increments, uint8_t p_num_sets, uint8_t p_num_loops, uint64_t p_start_addr,
    uint64_t p_write_addr, uint64_t p_writeback_addr, uint64_t p_byte_mask,
    uint32_t p_address_increment, uint32_t p_set_offset, uint32_t p_pattern_p,
    uint32_t p_increment_pattern_p)
    : header(p_header),
      req_code(p_req_code),
      vers(p_vers),
      reserved(0),
      protocol(p_protocol),
      virtual_addr(p_virtual_addr),
      self_checking(p_self_checking),
      verify_read_semantics(p_verify_read_semantics),
      num_increments(p_num_increments),
      num_sets(p_num_sets),
      num_loops(p_num_loops),
      reserved2(0),
      start_addr(p_start_addr),
      write_addr(p_write_addr),
      writeback_addr(p_writeback_addr),
      byte_mask(p_byte_mask),
      address_increment(p_address_increment),
      set_offset(p_set_offset),
      pattern_p(p_pattern_p),
      increment_pattern_p(p_increment_pattern_p) {}

ComplianceModeProducerConsumerRequest::ComplianceModeProducerConsumerRequest(
    DOEHeader p_header, uint8_t p_req_code, uint8_t p_vers, uint8_t p_protocol,
    uint8_t p_num_increments, uint8_t p_num_sets, uint8_t p_num_loops, uint8_t p_write_semantics,
    uint64_t p_start_addr, uint64_t p_byte_mask, uint32_t p_address_increment,
    uint32_t p_set_offset, uint32_t p_pattern)
    : header(p_header),
      req_code(p_req_code),
      vers(p_vers),
      reserved(0),
      protocol(p_protocol),
      num_increments(p_num_increments),
      num_sets(p_num_sets),
      num_loops(p_num_loops),
      write_semantics(p_write_semantics),
      reserved2{0, 0, 0},
      start_addr(p_start_addr),
      byte_mask(p_byte_mask),
      address_increment(p_address_increment),
      set_offset(p_set_offset),
      pattern(p_pattern) {}

}  // namespace core
}  // namespace tarvo
