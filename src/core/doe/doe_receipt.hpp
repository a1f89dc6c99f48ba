#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/doe/dataobject.hpp"

namespace tarvo {
namespace core {

// What the transport saw while it took one response from a mailbox, beside
// the response record itself: enough to tell a well-formed object from the
// zero fill around a short, overlong or failed one.
struct DOEReceipt {
    // Dwords taken from the Read Data Mailbox.
    std::size_t dwords = 0;
    // The 18-bit length field of the second dword taken (0 stands for 2^18);
    // 0 when fewer than two dwords were taken.
    uint32_t length_field = 0;
    // Reading stopped at 2^18 dwords with Data Object Ready still set.
    bool ready_stuck = false;
    // DOE Error in any Status read of the exchange, the Busy checks before
    // the request included.
    bool error = false;

    std::size_t object_dwords() const { return doe_object_dwords(length_field); }
    // A whole header was taken and as many dwords as it announces.
    bool length_agrees() const { return dwords >= 2 && dwords == object_dwords(); }
    bool well_formed() const { return length_agrees() && !ready_stuck && !error; }
    // What is wrong with the response, the faults joined by "; "; empty when
    // it is well-formed.
    std::string faults() const;
};

// Appends one fault to a "; "-joined list of faults.
void add_fault(std::string& faults, const std::string& fault);

// A response record and the receipt of the exchange that brought it.
template <typename RSP>
struct DOEReply {
    DataObject<RSP> response;
    DOEReceipt receipt;
};

}  // namespace core
}  // namespace tarvo
