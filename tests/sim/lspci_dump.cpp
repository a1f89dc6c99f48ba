#include "sim/lspci_dump.hpp"

#include "sim/config_builder.hpp"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarvo {
namespace sim {
namespace {

struct Pending {
    SBDF sbdf;
    size_t declared_size = 0;
    std::vector<std::pair<size_t, uint8_t>> bytes;
};

[[noreturn]] void fail(int line_no, const std::string& why) {
    throw std::runtime_error("configuration dump line " + std::to_string(line_no) + ": " + why);
}

bool is_hex(const std::string& s) {
    if (s.empty()) {
        return false;
    }
    for (char c : s) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// "ssss:bb:dd.f" or "bb:dd.f" at the start of a naming line.
bool parse_address(const std::string& word, SBDF& out) {
    unsigned seg = 0, bus = 0, dev = 0, fun = 0;
    char tail = 0;
    if (std::sscanf(word.c_str(), "%4x:%2x:%2x.%1x%c", &seg, &bus, &dev, &fun, &tail) == 4 ||
        (seg = 0, std::sscanf(word.c_str(), "%2x:%2x.%1x%c", &bus, &dev, &fun, &tail) == 3)) {
        if (dev > 0x1F || fun > 7) {
            return false;
        }
        out = SBDF(seg, bus, dev, fun);
        return true;
    }
    return false;
}

DumpedFunction finish(const Pending& p) {
    size_t size = p.declared_size;
    if (size == 0) {
        size = ConfigSpace::kLegacySize;
        for (const auto& b : p.bytes) {
            if (b.first >= ConfigSpace::kLegacySize) {
                size = ConfigSpace::kExtendedSize;
            }
        }
    }
    DumpedFunction f{p.sbdf, ConfigSpace(size)};
    for (const auto& b : p.bytes) {
        if (b.first < size) {
            f.space.set8(b.first, b.second);
        }
    }
    mark_known_structures(f.space);
    return f;
}

}  // namespace

std::vector<DumpedFunction> parse_lspci_dump(std::istream& in) {
    std::vector<DumpedFunction> out;
    bool open = false;
    Pending current;
    std::string line;
    int line_no = 0;
    while (std::getline(in, line)) {
        ++line_no;
        std::istringstream words(line);
        std::string first;
        if (!(words >> first)) {
            continue;
        }
        if (first.size() > 1 && first.back() == ':' && is_hex(first.substr(0, first.size() - 1))) {
            if (!open) {
                fail(line_no, "data before any function");
            }
            const size_t offset = std::stoul(first.substr(0, first.size() - 1), nullptr, 16);
            std::string byte;
            size_t i = 0;
            while (words >> byte) {
                if (byte.size() != 2 || !is_hex(byte) || i >= 16 ||
                    offset + i >= ConfigSpace::kExtendedSize) {
                    fail(line_no, "bad byte \"" + byte + "\"");
                }
                current.bytes.emplace_back(offset + i, static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
                ++i;
            }
            continue;
        }
        SBDF sbdf;
        if (!parse_address(first, sbdf)) {
            fail(line_no, "neither a function nor a data line");
        }
        if (open) {
            out.push_back(finish(current));
        }
        current = Pending{sbdf, 0, {}};
        open = true;
        const size_t size_at = line.find("(config space, ");
        if (size_at != std::string::npos) {
            const size_t declared = std::stoul(line.substr(size_at + 15));
            if (declared != ConfigSpace::kLegacySize && declared != ConfigSpace::kExtendedSize) {
                fail(line_no, "configuration space of " + std::to_string(declared) + " bytes");
            }
            current.declared_size = declared;
        }
    }
    if (open) {
        out.push_back(finish(current));
    }
    return out;
}

std::vector<DumpedFunction> load_lspci_dump(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot open configuration dump " + path);
    }
    return parse_lspci_dump(in);
}

std::vector<SBDF> load_lspci_dump(SimBus& bus, const std::string& path) {
    std::vector<SBDF> loaded;
    for (DumpedFunction& f : load_lspci_dump(path)) {
        bus.add_function(f.sbdf, std::move(f.space));
        loaded.push_back(f.sbdf);
    }
    return loaded;
}

}  // namespace sim
}  // namespace tarvo
