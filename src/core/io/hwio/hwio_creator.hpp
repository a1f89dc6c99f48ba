#pragma once

#include <functional>
#include <memory>

#include "core/io/hwio/hwio.hpp"

namespace tarvo {
namespace core {

// Makes the hardware-access object of one operation.
class HWIOCreator {
public:
    // A new hwio_linux, unless a factory has been installed.
    static std::unique_ptr<hwio> create_hwio();

    // Test seam: code that creates its own hardware-access object then reaches
    // what the factory makes (a simulated device). An empty factory restores
    // the default. Returns the factory in place before.
    using Factory = std::function<std::unique_ptr<hwio>()>;
    static Factory set_factory(Factory factory);
};

}  // namespace core
}  // namespace tarvo
