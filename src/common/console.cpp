#include "common/console.hpp"

#include <iostream>

namespace tarvo {

void say_in_red(const std::string& text) {
    std::cout << "\x1b[31m" << text << "\x1b[0m" << std::endl;
}

}  // namespace tarvo
