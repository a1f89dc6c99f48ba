#pragma once

#include <memory>

#include "core/reporter/generators.hpp"
#include "core/testhistory.hpp"

namespace tarvo {

// Makes the report generators over a history. A generator is made for each
// report asked for, so that it sees the history and the time of that request.
// Both raise core::ReportError when the report's files cannot be made.
class GeneratorServices {
public:
    // "report/index.html" and "report/style.css".
    virtual std::unique_ptr<core::Generator> html_generator(std::shared_ptr<History> history) = 0;
    // "report_<date>_<time>.csv" in the working directory.
    virtual std::unique_ptr<core::Generator> csv_generator(std::shared_ptr<History> history) = 0;
    virtual ~GeneratorServices() = default;
};

}  // namespace tarvo
