#include "core/doe/doe_compliance.hpp"

namespace tarvo {
namespace core {
namespace {

// The header of a Compliance-mode request of the given record type.
template <typename record_t>
DOEHeader compliance_header() {
    return DOEHeader(DOE_CXL_VENDOR_ID, CXL_DOE_COMPLIANCE, sizeof(record_t) / sizeof(uint32_t));
}

DataObject<ComplianceModeRequest> plain_request(ComplianceModes code) {
    return DataObject<ComplianceModeRequest>(ComplianceModeRequest(
        compliance_header<ComplianceModeRequest>(), static_cast<uint8_t>(code), 0));
}

}  // namespace

DataObject<ComplianceModeRequest> DOECompliance::dress_availability_req() {
    return plain_request(ComplianceModes::availability);
}

DataObject<ComplianceModeRequest> DOECompliance::dress_status_req() {
    return plain_request(ComplianceModes::status);
}

DataObject<ComplianceModeRequest> DOECompliance::dress_halt_all_req() {
    return plain_request(ComplianceModes::halt_all);
}

DataObject<ComplianceModeMultipleWriteStreamingRequest>
DOECompliance::dress_multiple_write_streaming_req(
    uint8_t p_protocol, uint8_t p_virtual_addr, uint8_t p_self_checking,
    uint8_t p_verify_read_semantics, uint8_t p_num_increments, uint8_t p_num_sets,
    uint8_t p_num_loops, uint64_t p_start_addr, uint64_t p_write_addr, uint64_t p_writeback_addr,
    uint64_t p_byte_mask, uint32_t p_address_increment, uint32_t p_set_offset,
    uint32_t p_pattern_p, uint32_t p_increment_pattern_p) {
    using record_t = ComplianceModeMultipleWriteStreamingRequest;
    return DataObject<record_t>(record_t(
        compliance_header<record_t>(),
        static_cast<uint8_t>(ComplianceModes::multiple_write_streaming), 0, p_protocol,
        p_virtual_addr, p_self_checking, p_verify_read_semantics, p_num_increments, p_num_sets,
        p_num_loops, p_start_addr, p_write_addr, p_writeback_addr, p_byte_mask,
        p_address_increment, p_set_offset, p_pattern_p, p_increment_pattern_p));
}

DataObject<ComplianceModeProducerConsumerRequest> DOECompliance::dress_producer_consumer_req(
    uint8_t p_protocol, uint8_t p_num_increments, uint8_t p_num_sets, uint8_t p_num_loops,
    uint8_t p_write_semantics, uint64_t p_start_addr, uint64_t p_byte_mask,
    uint32_t p_address_increment, uint32_t p_set_offset, uint32_t p_pattern) {
    using record_t = ComplianceModeProducerConsumerRequest;
    return DataObject<record_t>(record_t(
        compliance_header<record_t>(), static_cast<uint8_t>(ComplianceModes::producer_consumer),
        0, p_protocol, p_num_increments, p_num_sets, p_num_loops, p_write_semantics,
        p_start_addr, p_byte_mask, p_address_increment, p_set_offset, p_pattern));
}

}  // namespace core
}  // namespace tarvo
