#include <iostream>

int main() {
    std::cout << "tarvo version 2.0.8" << std::endl;
    return 0;
}
