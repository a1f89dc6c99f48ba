#pragma once

#include <memory>

#include "core/testhistory.hpp"

namespace tarvo {

// The HTML report of a history.
class ReportServices {
public:
    virtual void write_html_report(std::shared_ptr<History> history) = 0;
    virtual ~ReportServices() = default;
};

}  // namespace tarvo
