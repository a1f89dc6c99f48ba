#include "core/doe/doe_common.hpp"

std::ostream& operator<<(std::ostream& os, const DOEHeader& header) {
    os << "Data Object Header: \n"
       << "vendor id: " << static_cast<unsigned>(header.vendor_id) << '\n'
       << "doe_type: " << static_cast<unsigned>(header.doe_type) << '\n'
       << "length: " << static_cast<unsigned>(header.length) << '\n';
    return os;
}
