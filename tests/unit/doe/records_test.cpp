#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "core/devices/capabilities.hpp"
#include "core/doe/doe_cdat.hpp"
#include "core/doe/doe_common.hpp"
#include "core/doe/doe_compliance.hpp"
#include "core/doe/doe_discovery.hpp"
#include "core/doe/protocols/cdat.hpp"
#include "core/doe/protocols/discovery.hpp"

using namespace tarvo::core;

namespace {

// The first n dwords of a data object's wire image.
template <typename record_t>
std::vector<uint32_t> wire(const DataObject<record_t>& object, size_t n) {
    const auto image = object.serialize();
    return std::vector<uint32_t>(image->begin(), image->begin() + n);
}

template <typename record_t>
uint64_t field_at(const DataObject<record_t>& object, size_t byte_offset, size_t bytes) {
    const auto image = object.serialize();
    uint64_t value = 0;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(image->data()) + byte_offset,
                bytes);
    return value;
}

}  // namespace

TEST(DOERecords, HeaderKeepsLowBitsOfTypeAndLength) {
    const DOEHeader header(0x1E98, 0x1FF, 0x7FFFF);
    EXPECT_EQ(header.vendor_id, 0x1E98);
    EXPECT_EQ(header.doe_type, 0xFF);
    EXPECT_EQ(header.length, 0x3FFFFu);
    EXPECT_EQ(header.reserved, 0);
    EXPECT_EQ(header.reserved2, 0u);
}

TEST(DOERecords, DiscoveryRequestCarriesLowIndexByte) {
    EXPECT_EQ(wire(DOEDiscovery::dress_request(0x105), 4),
              (std::vector<uint32_t>{0x00000001, 0x00000003, 0x00000005, 0}));
    EXPECT_EQ(DOEDiscovery::dress_request(0x105).protocol().index, 0x05);
}

TEST(DOERecords, CDATReadEntryRequestCarriesWholeHandle) {
    EXPECT_EQ(wire(DOECDAT::dress_read_entry_req(0x0102), 4),
              (std::vector<uint32_t>{0x00021E98, 0x00000003, 0x01020000, 0}));
}

TEST(DOERecords, ComplianceRequestsHaveTheirCodesAndLengths) {
    struct Case {
        DataObject<ComplianceModeRequest> request;
        uint32_t code_dword;
    };
    const Case cases[] = {
        {DOECompliance::dress_availability_req(), 0x0},
        {DOECompliance::dress_status_req(), 0x1},
        {DOECompliance::dress_halt_all_req(), 0x2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wire(c.request, 4), (std::vector<uint32_t>{0x00001E98, 3, c.code_dword, 0}));
    }
}

TEST(DOERecords, MultipleWriteStreamingRequestIsPacked) {
    const auto request = DOECompliance::dress_multiple_write_streaming_req(
        1, 2, 3, 4, 5, 6, 7, 0x1111111122222222, 0x3333333344444444, 0x5555555566666666,
        0x7777777788888888, 0x9999AAAA, 0xBBBBCCCC, 0xDDDDEEEE, 0xFFFF0000);
    EXPECT_EQ(wire(request, 5), (std::vector<uint32_t>{0x00001E98, 17, 0x3, 0x04030201,
                                                       0x00070605}));
    EXPECT_EQ(field_at(request, 20, 8), 0x1111111122222222u);
    EXPECT_EQ(field_at(request, 28, 8), 0x3333333344444444u);
    EXPECT_EQ(field_at(request, 36, 8), 0x5555555566666666u);
    EXPECT_EQ(field_at(request, 44, 8), 0x7777777788888888u);
    EXPECT_EQ(wire(request, 18).back(), 0u);  // the image holds the record only
    EXPECT_EQ(field_at(request, 52, 4), 0x9999AAAAu);
    EXPECT_EQ(field_at(request, 56, 4), 0xBBBBCCCCu);
    EXPECT_EQ(field_at(request, 60, 4), 0xDDDDEEEEu);
    EXPECT_EQ(field_at(request, 64, 4), 0xFFFF0000u);
}

TEST(DOERecords, ProducerConsumerRequestIsPacked) {
    const auto request = DOECompliance::dress_producer_consumer_req(
        1, 2, 3, 4, 5, 0x1111111122222222, 0x3333333344444444, 0x55556666, 0x77778888,
        0x9999AAAA);
    EXPECT_EQ(wire(request, 5), (std::vector<uint32_t>{0x00001E98, 12, 0x4, 0x04030201, 0x5}));
    EXPECT_EQ(field_at(request, 20, 8), 0x1111111122222222u);
    EXPECT_EQ(field_at(request, 28, 8), 0x3333333344444444u);
    EXPECT_EQ(field_at(request, 36, 4), 0x55556666u);
    EXPECT_EQ(field_at(request, 40, 4), 0x77778888u);
    EXPECT_EQ(field_at(request, 44, 4), 0x9999AAAAu);
    EXPECT_EQ(wire(request, 13).back(), 0u);
}

TEST(DOERecords, SerializeNeverTakesMoreThanTheRecord) {
    // A header that claims more than the record holds, and one that claims less.
    const DataObject<DiscoveryRequest> longer(DiscoveryRequest(DOEHeader(1, 0, 200), 7));
    EXPECT_EQ(wire(longer, 4), (std::vector<uint32_t>{1, 200, 7, 0}));
    const DataObject<DiscoveryRequest> shorter(DiscoveryRequest(DOEHeader(1, 0, 1), 7));
    EXPECT_EQ(wire(shorter, 3), (std::vector<uint32_t>{1, 0, 0}));
}

TEST(DOERecords, ResponseAndCapabilityWordsOverlayTheirFields) {
    DiscoveryResponse response{};
    response.data = 0x01021E98;
    EXPECT_EQ(response.vendor_id, 0x1E98u);
    EXPECT_EQ(response.doe_type, 2u);
    EXPECT_EQ(response.next_index, 1u);

    DOECap cap;
    EXPECT_EQ(cap.offset, 0u);
    EXPECT_EQ(cap.header1, 0u);
    cap.header1 = 0x00021E98;
    EXPECT_EQ(cap.vendor_id, 0x1E98u);
    EXPECT_EQ(cap.doe_type, 2u);
    EXPECT_EQ(cap.reserved, 0u);
}

TEST(DOERecords, HeaderTextUsesTheStreamBase) {
    std::ostringstream dec, hex;
    dec << DOEHeader(0x1E98, 2, 128);
    EXPECT_EQ(dec.str(), "Data Object Header: \nvendor id: 7832\ndoe_type: 2\nlength: 128\n");
    hex << std::hex << DOEHeader(0x1E98, 2, 128);
    EXPECT_EQ(hex.str(), "Data Object Header: \nvendor id: 1e98\ndoe_type: 2\nlength: 80\n");
}

TEST(DOERecords, CDATResponseTextHasNineLines) {
    CDATReadEntryResponse response{};
    response.header = DOEHeader(0x1E98, 2, 128);
    response.rsp_code = 0;
    response.table_type = 0;
    response.entry_handle = 0x10;
    response.table[0] = 'X';
    EXPECT_EQ(response.str(),
              "CDAT Read Entry Response: \n"
              "Data Object Header: \nvendor id: 7832\ndoe_type: 2\nlength: 128\n"
              "\n"
              "req_code: 0\ntable_type: 0\nentry_handle: 16\n");
}
