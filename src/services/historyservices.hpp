#pragma once

#include <memory>

#include "core/testhistory.hpp"

namespace tarvo {

// The sessions of this process.
class HistoryServices {
public:
    virtual std::shared_ptr<History> history() = 0;
    virtual ~HistoryServices() = default;
};

}  // namespace tarvo
