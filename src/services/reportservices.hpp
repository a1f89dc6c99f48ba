#pragma once

#include <functional>
#include <memory>

#include "core/reporter/generators.hpp"

namespace tarvo {

// Writes reports with the generators it is handed.
class ReportServices {
public:
    using GeneratorMaker = std::function<std::unique_ptr<core::Generator>()>;

    // Makes a generator and has it write its report. A report that cannot be
    // made or written is shown as one red line with the reason; nothing is
    // raised, so the program goes on.
    virtual void write_report(const GeneratorMaker& make) = 0;
    virtual ~ReportServices() = default;
};

}  // namespace tarvo
