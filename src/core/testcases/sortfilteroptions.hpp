#pragma once

#include <cstdint>

namespace tarvo {
namespace core {

// The orders in which the catalogue can be listed and filtered.
enum SortFilterOptions : uint32_t {
    DEFAULT = 0,
    SPEC = 1,
    GROUP = 2,
    ID = 3,
    SPEC_AND_GROUP = 4,
    SPEC_AND_ID = 5,
    GROUP_AND_ID = 6,
    GROUP_SPEC_AND_ID = 7,
    ID_SPEC_GROUP = 8,
    count = 9,
};

}  // namespace core
}  // namespace tarvo
