#pragma once

#include <string>
#include <vector>

#include "common/testdata.hpp"

namespace tarvo {

// The queue of catalogue entries selected for the next run.
class StagingServices {
public:
    // Appends the entry at the end of the queue.
    virtual void stage(types::TestData entry) = 0;
    // Removes every queued entry with this key.
    virtual void unstage(const std::string& key) = 0;
    virtual void clear() = 0;
    virtual std::vector<types::TestData> staged() const = 0;
    virtual ~StagingServices() = default;
};

}  // namespace tarvo
