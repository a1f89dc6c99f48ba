#pragma once

#include <stdexcept>
#include <string>

namespace tarvo {
namespace core {

// A report that could not be written; what() is the reason, one line.
class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes one report. Construction and generate() raise ReportError when the
// report cannot be written.
class Generator {
public:
    Generator() = default;
    virtual void generate() = 0;
    virtual ~Generator() = default;
};

// Base of the report generators.
class HTMLGenerator : public Generator {};

}  // namespace core
}  // namespace tarvo
