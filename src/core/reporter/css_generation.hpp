#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tarvo {
namespace core {

// One rule: the selector, then each property on its own tab-indented line.
void write_css(std::ostream& out, const std::string& selector,
               const std::vector<std::string>& properties);

}  // namespace core
}  // namespace tarvo
