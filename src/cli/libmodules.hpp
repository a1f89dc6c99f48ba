#pragma once

#include <memory>

#include "api/directory.hpp"
#include "api/tester.hpp"
#include "api/utility.hpp"

namespace cli {

// The facades every command works through, built once at start-up.
struct LibModules {
    std::shared_ptr<tarvo::Directory> directory_module;
    std::shared_ptr<tarvo::Tester> tester_module;
    std::shared_ptr<tarvo::Utility> utility_module;
};

}  // namespace cli
