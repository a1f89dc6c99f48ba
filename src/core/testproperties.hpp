#pragma once

#include <map>
#include <string>
#include <vector>

#include "common/testdata.hpp"
#include "core/testcases/sortfilteroptions.hpp"

namespace tarvo {

struct CatalogueLoad;

// The catalogue of test cases, read once from JSON text and then only read.
class TestProperties {
public:
    // An empty catalogue: every query returns nothing.
    TestProperties();
    // Builds the catalogue from JSON text (not a path). Raises
    // boost::property_tree::json_parser_error for an empty text or one that
    // is not JSON, ptree_bad_path for a missing member and ptree_bad_data for
    // a value that does not convert; the message names the entry and member.
    explicit TestProperties(std::string json_data);

    // Reads a test-case file. On any failure the catalogue is empty and the
    // error is one line naming the file and the reason; callers report it
    // and go on.
    static CatalogueLoad load_file(const std::string& path);

    // All entries in natural identifier order.
    std::vector<types::TestData> list() const;
    // All entries in the given order; empty for an option outside the nine.
    std::vector<types::TestData> sort_by(core::SortFilterOptions o) const;
    // The entries equivalent to f under the option's keys, in natural order;
    // empty for an option outside the nine.
    std::vector<types::TestData> filter_by(core::SortFilterOptions o,
                                           types::TestIDFilter f) const;
    // The entry stored under the upper-cased key, or an ErrorTestData.
    types::TestData info(std::string key) const;

private:
    std::map<std::string, types::TestData> m_tests;
    std::vector<std::vector<types::TestData>> m_views;
};

struct CatalogueLoad {
    TestProperties catalogue;
    std::string error;  // empty when the file was read

    bool ok() const { return error.empty(); }
};

}  // namespace tarvo
