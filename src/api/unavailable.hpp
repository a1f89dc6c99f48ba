#pragma once

#include <string>

namespace tarvo {

// Says on the console that a part of the service library is not in this
// build, so that no command shows results it did not get.
void say_not_available(const std::string& what);

}  // namespace tarvo
