#include "core/doe/protocols/cdat.hpp"

#include <sstream>

namespace tarvo {
namespace core {

std::string CDATReadEntryResponse::str() const {
    std::ostringstream out;
    out << "CDAT Read Entry Response: \n"
        << header << '\n'
        << "req_code: " << static_cast<unsigned>(rsp_code) << '\n'
        << "table_type: " << static_cast<unsigned>(table_type) << '\n'
        << "entry_handle: " << static_cast<unsigned>(entry_handle) << '\n';
    return out.str();
}

}  // namespace core
}  // namespace tarvo
