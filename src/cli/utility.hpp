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

// Small text and input helpers that no command uses.

// A PCI function filter; a field that a filter leaves open keeps its value.
struct pci_dev {
    int domain;
    int bus;
    int slot;
    int func;
};

// 1, except on the last line of a page of `total` lines (current % total + 1
// == total): then writes ":" and returns whether the next character read
// from standard input is 's'. A page of no lines reads nothing and gives 1.
int page(int current, int total);

// s without its last character when that character is c.
std::string remove_trailing_char(std::string s, char c);

// s with every c removed.
std::string remove_all_char_in(std::string s, char c);

// msg between the escape sequence `color` and the colour reset.
std::string color(std::string msg, std::string color);

// Whole-text checks: isNumeric "[1-9][0-9]*", isHex "0[xX][0-9a-fA-F]+",
// isVariable "[a-zA-Z][a-zA-Z0-9_/]*".
bool isNumeric(std::string s);
bool isHex(std::string s);
bool isVariable(std::string s);

// Its first and last characters are double quotes.
bool isString(std::string s);
// It holds a ":", a "-" or a "=" respectively.
bool isDevice(std::string s);
bool isRangeIndicator(std::string s);
bool isAssigning(std::string s);

// The local time as "%Y-%m-%dT%H-%M-%S".
std::string timestamp();

// Writes prompt and end, then reads one line from standard input; at the end
// of input (or a failed read) clears the stream state and skips a character.
std::string input(std::string prompt, std::string end);

// The version lines and the header row of the command table.
std::string usage(std::string version);

// Asks "show more (y/n): " and reads the answer's first character, dropping
// the rest of its line (up to 256 characters); false only for 'n'. At the end
// of input the answer is yes.
bool more();

// Writes cstr and a line end.
void fun(const char* cstr);

// Reads a filter "[[[domain]:][bus]:][slot][.[func]]" of hexadecimal fields
// into dev, cutting str at its separators; "*" or an empty field leaves the
// field as it is. Returns the text naming the first field out of range (or
// no number), and then changes no field of dev; null when all are good, or
// when dev or str is null (nothing is read or changed then).
const char* pci_filter_parse_slot(pci_dev* dev, char* str);

// The text form of td, then a line end; `width` is not used.
void print_testrow(tarvo::types::TestData td, const int& width);

}  // namespace cli
