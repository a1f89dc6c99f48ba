#include "core/pci_ids/pci_ids.hpp"

#include <cctype>
#include <cstdlib>
#include <fstream>

namespace {

const char* const kIdsFile = "./pci_ids.txt";

// Splits the rest of a line into its hexadecimal ID and the name after it.
void store_entry(const std::string& rest, std::unordered_map<unsigned int, std::string>& map) {
    size_t begin = 0;
    while (begin < rest.size() && std::isspace(static_cast<unsigned char>(rest[begin]))) {
        ++begin;
    }
    size_t end = begin;
    while (end < rest.size() && !std::isspace(static_cast<unsigned char>(rest[end]))) {
        ++end;
    }
    const std::string word = rest.substr(begin, end - begin);
    const unsigned int id = static_cast<unsigned int>(std::strtoul(word.c_str(), nullptr, 16));
    map[id] = rest.substr(end);
}

}  // namespace

int Fill_IDs(std::unordered_map<unsigned int, std::string>& vendormap,
             std::unordered_map<unsigned int, std::string>& devicemap) {
    std::ifstream file(kIdsFile);
    if (!file) {
        return 1;
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const char first = line.empty() ? '\0' : line[0];
        if (first == '#' || first == 'C') {
            continue;
        }
        if (first == '\t') {
            if (line.size() > 1 && line[1] == '\t') {
                continue;
            }
            store_entry(line.substr(1), devicemap);
        } else {
            store_entry(line, vendormap);
        }
    }
    return 0;
}
