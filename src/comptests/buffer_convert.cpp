#include "comptests/buffer_convert.hpp"

namespace {
constexpr uint64_t kMaxBytes = 8;

uint64_t clamp_len(uint64_t len) { return len > kMaxBytes ? kMaxBytes : len; }
}  // namespace

uint64_t convert_from_buf(const uint8_t* buf, uint64_t len) {
    uint64_t value = 0;
    if (buf == nullptr) {
        return value;
    }
    len = clamp_len(len);
    for (uint64_t i = 0; i < len; ++i) {
        value |= static_cast<uint64_t>(buf[i]) << (8 * i);
    }
    return value;
}

void convert_to_buf(uint8_t* buf, uint64_t val, uint64_t len) {
    if (buf == nullptr) {
        return;
    }
    len = clamp_len(len);
    for (uint64_t i = 0; i < len; ++i) {
        buf[i] = static_cast<uint8_t>(val & 0xFF);
        val >>= 8;
    }
}
