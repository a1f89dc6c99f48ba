#pragma once

#include <cstdint>

// The little-endian value of the first len bytes of buf; len is clamped to 8.
uint64_t convert_from_buf(const uint8_t* buf, uint64_t len);

// Writes len bytes of val to buf, least significant byte first; len is
// clamped to 8.
void convert_to_buf(uint8_t* buf, uint64_t val, uint64_t len);
