#pragma once

#include <string>

namespace tarvo {

// Writes one line in red on standard output.
void say_in_red(const std::string& text);

}  // namespace tarvo
