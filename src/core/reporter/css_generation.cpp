#include "core/reporter/css_generation.hpp"

namespace tarvo {
namespace core {

void write_css(std::ostream& out, const std::string& selector,
               const std::vector<std::string>& properties) {
    out << selector << " {\n";
    for (const auto& property : properties) {
        out << "\t" << property << ";\n";
    }
    out << "}\n";
    out.flush();
}

}  // namespace core
}  // namespace tarvo
