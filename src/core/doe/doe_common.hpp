#pragma once

#include <cstdint>
#include <ostream>

// The two-dword header that starts every DOE data object.
struct DOEHeader {
    uint16_t vendor_id;     // 0x0001 PCI-SIG Discovery, 0x1E98 CXL
    uint8_t doe_type;       // data object type within the vendor's protocols
    uint8_t reserved;       // zero
    uint32_t length : 18;   // whole object in dwords, header included; 0 means 2^18
    uint32_t reserved2 : 14;

    // Trivial, so that records holding a header stay plain wire data;
    // value-initialize (DOEHeader{}) for an all-zero header.
    DOEHeader() = default;
    DOEHeader(uint16_t p_vendor_id, uint16_t p_doe_type, uint32_t p_length)
        : vendor_id(p_vendor_id),
          doe_type(static_cast<uint8_t>(p_doe_type)),
          reserved(0),
          length(p_length & 0x3FFFF),
          reserved2(0) {}
};
static_assert(sizeof(DOEHeader) == 8, "DOEHeader is two dwords on the wire");

// Data object types of the CXL vendor 0x1E98.
enum CXLDOEProtocol : uint32_t {
    CXL_DOE_COMPLIANCE = 0,
    CXL_DOE_TABLE_ACCESS = 2,
    CXL_DOE_MAX_PROTOCOL = 3,
};

// Vendor IDs that head DOE data objects.
constexpr uint16_t DOE_PCI_SIG_VENDOR_ID = 0x0001;
constexpr uint16_t DOE_CXL_VENDOR_ID = 0x1E98;

// Writes the header as text, numbers in the stream's current base.
std::ostream& operator<<(std::ostream& os, const DOEHeader& header);
