#pragma once

#include <vector>

#include "common/testdata.hpp"

namespace tarvo {

// Runs test cases on the device under test.
class TestServices {
public:
    // Runs the entries in order, waiting `delay` seconds between two tests,
    // and keeps their records as one session of the history.
    virtual void run(const std::vector<types::TestData>& tests, unsigned delay) = 0;
    virtual ~TestServices() = default;
};

}  // namespace tarvo
