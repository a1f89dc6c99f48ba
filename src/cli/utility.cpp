#include "cli/utility.hpp"

#include <boost/filesystem/path.hpp>
#include <boost/tokenizer.hpp>

namespace cli {

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

}  // namespace cli
