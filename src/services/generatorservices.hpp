#pragma once

#include <memory>

#include "core/testhistory.hpp"

namespace tarvo {

// The CSV report of a history.
class GeneratorServices {
public:
    virtual void write_csv_report(std::shared_ptr<History> history) = 0;
    virtual ~GeneratorServices() = default;
};

}  // namespace tarvo
