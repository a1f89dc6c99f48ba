#include "api/unavailable.hpp"

#include <iostream>

namespace tarvo {

void say_not_available(const std::string& what) {
    std::cout << what << " not available in this build yet." << std::endl;
}

}  // namespace tarvo
