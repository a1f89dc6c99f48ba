#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

namespace tarvo {
namespace core {

// The largest data object a DOE length field can describe: 2^18 dwords.
constexpr std::size_t DOE_MAX_DWORDS = std::size_t{1} << 18;

// Wire image of one data object, dword 0 first (1 MiB; always on the heap).
using DOEImage = std::array<uint32_t, DOE_MAX_DWORDS>;

// The object length a header describes, in dwords: its 18-bit length field,
// where 0 stands for 2^18.
inline std::size_t doe_object_dwords(uint32_t length_field) {
    const std::size_t length = length_field & 0x3FFFF;
    return length == 0 ? DOE_MAX_DWORDS : length;
}

// One DOE request or response record. The record starts with its DOEHeader
// and is laid out exactly as on the wire.
template <typename protocol_t>
class DataObject {
    static_assert(std::is_trivially_copyable<protocol_t>::value,
                  "a DOE record is copied as raw dwords");
    static_assert(sizeof(protocol_t) <= sizeof(DOEImage), "a DOE record fits in one object");

public:
    DataObject(const protocol_t& p_protocol) : m_protocol(p_protocol) {}

    const protocol_t& protocol() const { return m_protocol; }

    // The record's first `length` dwords (the header's length field) in a
    // zero-filled image; never more than the record itself holds, whatever
    // its header claims.
    std::unique_ptr<DOEImage> serialize() const {
        auto image = std::make_unique<DOEImage>();
        const std::size_t claimed = std::size_t{m_protocol.header.length} * sizeof(uint32_t);
        std::memcpy(image->data(), &m_protocol, std::min(claimed, sizeof(protocol_t)));
        return image;
    }

private:
    protocol_t m_protocol;
};

}  // namespace core
}  // namespace tarvo
