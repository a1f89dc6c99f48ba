#include "core/doe/doe_receipt.hpp"

namespace tarvo {
namespace core {

void add_fault(std::string& faults, const std::string& fault) {
    if (!faults.empty()) faults += "; ";
    faults += fault;
}

std::string DOEReceipt::faults() const {
    std::string found;
    if (dwords == 0) {
        add_fault(found, "no dwords presented");
    } else if (dwords == 1) {
        add_fault(found, "1 dword presented, a header has 2");
    } else if (!ready_stuck && !length_agrees()) {
        // Past the bound the count says nothing of the object's true size.
        add_fault(found, "length field " + std::to_string(object_dwords()) + " dwords, " +
                             std::to_string(dwords) + " dwords presented");
    }
    if (ready_stuck) add_fault(found, "Ready still set after " + std::to_string(dwords) + " dwords");
    if (error) add_fault(found, "Error set");
    return found;
}

}  // namespace core
}  // namespace tarvo
