#pragma once

#include <iomanip>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#include "common/testdata.hpp"

namespace cli {

// The words of a prompt line: split at blanks only (a tab stays inside its
// word), empty words dropped.
std::vector<std::string> tokenize(const std::string& input);

// Splits a test key "spec/group/number" (read as a path: repeated slashes
// count as one) into its parts. Two parts are group and number, one part the
// number; no part or more than three give ("", "", 0). The number is read
// with std::stoi, whose std::invalid_argument and std::out_of_range pass on.
std::tuple<std::string, std::string, int> testkey_from_str(std::string s);

// One left-adjusted, blank-filled table cell of at least `width` characters
// on standard output; the adjustment and fill stay set afterwards.
template <typename T>
void print_item_in_tbl(T item, int width) {
    std::cout << std::left << std::setw(width) << std::setfill(' ') << item;
}

// The entries as a table: a header, a rule and one row per entry; nothing
// for an empty list.
void print_testlist(std::vector<tarvo::types::TestData> list);

}  // namespace cli
