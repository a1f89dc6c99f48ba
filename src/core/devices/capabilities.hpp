#pragma once

#include <cstdint>

namespace tarvo {
namespace core {

// A capability found in configuration space, by its offset.
struct Capability {
    Capability() : offset(0) {}
    virtual ~Capability() = default;

    uint32_t offset;
};

// One protocol of one DOE mailbox as discovery reports it: `offset` is the
// mailbox's DOE capability, `header1` is vendor ID | data object type << 16.
struct DOECap : public Capability {
    DOECap() : header1(0) {}
    ~DOECap() override = default;

    union {
        uint32_t header1;
        struct {
            uint32_t vendor_id : 16;
            uint32_t doe_type : 8;
            uint32_t reserved : 8;
        };
    };
};

}  // namespace core
}  // namespace tarvo
