#include "cli/utility.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <sstream>

#include <boost/filesystem/path.hpp>
#include <boost/tokenizer.hpp>

namespace cli {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The value of a hexadecimal digit, -1 for any other character.
int hex_value(char c) {
    if (is_digit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Whether every character of s from `from` on satisfies `pred`. Checked
// character by character: a regular expression engine recurses once per
// character and overflows the stack on a long text.
template <typename Pred>
bool rest_is(const std::string& s, std::size_t from, Pred pred) {
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(from), s.end(), pred);
}

bool contains(const std::string& s, char c) { return s.find(c) != std::string::npos; }

// One field of a slot filter into `value`: "" and "*" leave it; otherwise the
// field must be hexadecimal digits worth at most `max`.
bool filter_field(const char* text, int max, int& value) {
    if (*text == '\0' || std::strcmp(text, "*") == 0)
        return true;
    int64_t number = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        const int digit = hex_value(*p);
        if (digit < 0)
            return false;
        number = number * 16 + digit;
        if (number > max)  // stops long before an overflow
            return false;
    }
    value = static_cast<int>(number);
    return true;
}

}  // namespace

std::vector<std::string> tokenize(const std::string& input) {
    const boost::char_separator<char> blank(" ");
    const boost::tokenizer<boost::char_separator<char>> words(input, blank);
    return std::vector<std::string>(words.begin(), words.end());
}

std::tuple<std::string, std::string, int> testkey_from_str(std::string s) {
    std::vector<std::string> parts;
    for (const auto& element : boost::filesystem::path(s))
        parts.push_back(element.string());

    std::tuple<std::string, std::string, int> key("", "", 0);
    switch (parts.size()) {
        case 3:
            key = std::make_tuple(parts[0], parts[1], std::stoi(parts[2]));
            break;
        case 2:
            key = std::make_tuple(std::string(), parts[0], std::stoi(parts[1]));
            break;
        case 1:
            key = std::make_tuple(std::string(), std::string(), std::stoi(parts[0]));
            break;
        default:
            break;
    }
    return key;
}

void print_testlist(std::vector<tarvo::types::TestData> list) {
    if (list.empty())
        return;
    // A number printed earlier in hexadecimal (a device address) would leave
    // the stream so; identifiers are decimal.
    std::cout << std::dec;
    print_item_in_tbl("Key", 15);
    print_item_in_tbl("Spec", 6);
    print_item_in_tbl("Group", 6);
    print_item_in_tbl("ID", 6);
    print_item_in_tbl("Port", 15);
    print_item_in_tbl("Name", 64);
    std::cout << std::endl;
    std::cout << std::string(106, '=') << std::endl;
    for (const auto& entry : list) {
        print_item_in_tbl(entry.key(), 15);
        print_item_in_tbl(entry.spec(), 6);
        print_item_in_tbl(entry.group(), 6);
        print_item_in_tbl(entry.id(), 6);
        print_item_in_tbl(entry.port(), 15);
        print_item_in_tbl(entry.name(), 64);
        std::cout << std::endl;
    }
}

int page(int current, int total) {
    if (total <= 0 || current % total + 1 != total)
        return 1;
    std::cout << ":";
    return std::cin.get() == 's';
}

std::string remove_trailing_char(std::string s, char c) {
    if (!s.empty() && s.back() == c)
        s.pop_back();
    return s;
}

std::string remove_all_char_in(std::string s, char c) {
    s.erase(std::remove(s.begin(), s.end(), c), s.end());
    return s;
}

std::string color(std::string msg, std::string color) { return color + msg + "\x1b[0m"; }

bool isNumeric(std::string s) {
    return !s.empty() && s[0] >= '1' && s[0] <= '9' && rest_is(s, 1, is_digit);
}

bool isHex(std::string s) {
    return s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') &&
           rest_is(s, 2, [](char c) { return hex_value(c) >= 0; });
}

bool isVariable(std::string s) {
    return !s.empty() && is_letter(s[0]) && rest_is(s, 1, [](char c) {
               return is_letter(c) || is_digit(c) || c == '_' || c == '/';
           });
}

bool isString(std::string s) { return !s.empty() && s.front() == '"' && s.back() == '"'; }

bool isDevice(std::string s) { return contains(s, ':'); }

bool isRangeIndicator(std::string s) { return contains(s, '-'); }

bool isAssigning(std::string s) { return contains(s, '='); }

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char buf[64];
    if (localtime_r(&now, &local) == nullptr)
        return "";
    return std::string(buf, std::strftime(buf, sizeof buf, "%Y-%m-%dT%H-%M-%S", &local));
}

std::string input(std::string prompt, std::string end) {
    std::cout << prompt << end << std::flush;
    std::string line;
    if (!std::getline(std::cin, line) || std::cin.eof()) {
        std::cin.clear();
        std::cin.ignore();
    }
    return line;
}

std::string usage(std::string version) {
    std::ostringstream text;
    text << "Tarvo CLI version " << version << "\nusing Tarvo Test Engine version " << version
         << "\n";
    text << std::left << std::setw(47) << "Command List" << std::setw(50) << "Description\n"
         << "\n";
    return text.str();
}

bool more() {
    std::cout << "show more (y/n): " << std::flush;
    const int answer = std::cin.get();
    std::cin.clear();
    // An empty answer has ended its line already; the next line is not its.
    if (answer != '\n')
        std::cin.ignore(256, '\n');
    return answer != 'n';
}

void fun(const char* cstr) {
    // Writing a null pointer to a stream is undefined; it stands for no text.
    std::cout << (cstr != nullptr ? cstr : "") << std::endl;
}

const char* pci_filter_parse_slot(pci_dev* dev, char* str) {
    if (dev == nullptr || str == nullptr)
        return nullptr;
    char* func = nullptr;
    if (char* dot = std::strchr(str, '.')) {
        *dot = '\0';
        func = dot + 1;
    }
    char* domain = nullptr;
    char* bus = nullptr;
    char* slot = str;
    if (char* colon = std::strrchr(str, ':')) {
        *colon = '\0';
        slot = colon + 1;
        bus = str;
        if (char* first = std::strrchr(str, ':')) {
            *first = '\0';
            bus = first + 1;
            domain = str;
        }
    }
    // A filter with a bad field changes nothing.
    pci_dev parsed = *dev;
    if (domain != nullptr && !filter_field(domain, 0x7fffffff, parsed.domain))
        return "Invalid domain number";
    if (bus != nullptr && !filter_field(bus, 0xff, parsed.bus))
        return "Invalid bus number";
    if (!filter_field(slot, 0x1f, parsed.slot))
        return "Invalid slot number";
    if (func != nullptr && !filter_field(func, 7, parsed.func))
        return "Invalid function number";
    *dev = parsed;
    return nullptr;
}

void print_testrow(tarvo::types::TestData td, const int& /*width*/) {
    print_item_in_tbl(td.str(), 10);
    std::cout << std::endl;
}

}  // namespace cli
