#pragma once

#include <string>
#include <vector>

#include "common/cxl_types.hpp"
#include "common/testdata.hpp"
#include "common/testid.hpp"
#include "core/testcases/sortfilteroptions.hpp"

namespace tarvo {

// The test-case catalogue.
class TestInfoServices {
public:
    // Every entry, in natural identifier order.
    virtual std::vector<types::TestData> list() = 0;
    virtual std::vector<types::TestData> sort_by(core::SortFilterOptions order) = 0;
    // The entries equal to the filter on the keys that `order` compares.
    virtual std::vector<types::TestData> filter_by(core::SortFilterOptions order,
                                                   types::TestIDFilter filter) = 0;
    // The enabled entries whose port list names this port type (or ALL), in
    // natural identifier order.
    virtual std::vector<types::TestData> list_for_port(PORT_TYPE_t port) = 0;
    // The entry of this key (upper-cased), or an ErrorTestData.
    virtual types::TestData info(const std::string& key) = 0;
    virtual ~TestInfoServices() = default;
};

}  // namespace tarvo
