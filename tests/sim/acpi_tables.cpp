#include "sim/acpi_tables.hpp"

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarvo {
namespace sim {
namespace {

constexpr size_t kHeaderBytes = 36;
constexpr size_t kChbsBytes = 32;
constexpr size_t kCfmwsFixedBytes = 36;

void put(std::vector<uint8_t>& out, uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void put_text(std::vector<uint8_t>& out, const char* text, size_t bytes) {
    const size_t len = std::strlen(text);
    for (size_t i = 0; i < bytes; ++i) {
        out.push_back(i < len ? static_cast<uint8_t>(text[i]) : ' ');
    }
}

// Type, reserved byte and the 16-bit record length.
std::vector<uint8_t> structure_start(uint8_t type, size_t length) {
    std::vector<uint8_t> out;
    put(out, type, 1);
    put(out, 0, 1);
    put(out, length, 2);
    return out;
}

bool is_hex(const std::string& text) {
    return !text.empty() && text.size() <= 8 &&
           text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

}  // namespace

std::vector<uint8_t> cedt_chbs(uint32_t uid, uint32_t cxl_version, uint64_t base,
                               uint64_t length) {
    std::vector<uint8_t> out = structure_start(0, kChbsBytes);
    put(out, uid, 4);
    put(out, cxl_version, 4);
    put(out, 0, 4);
    put(out, base, 8);
    put(out, length, 8);
    return out;
}

std::vector<uint8_t> cedt_cfmws(const FixedMemoryWindow& w) {
    std::vector<uint8_t> out = structure_start(1, kCfmwsFixedBytes + 4 * w.targets.size());
    put(out, 0, 4);
    put(out, w.base_hpa, 8);
    put(out, w.size, 8);
    put(out, w.eniw, 1);
    put(out, w.interleave_arithmetic, 1);
    put(out, 0, 2);
    put(out, w.hbig, 4);
    put(out, w.restrictions, 2);
    put(out, w.qtg_id, 2);
    for (uint32_t target : w.targets) {
        put(out, target, 4);
    }
    return out;
}

std::vector<uint8_t> cedt_table(const std::vector<std::vector<uint8_t>>& structures) {
    size_t length = kHeaderBytes;
    for (const auto& s : structures) {
        length += s.size();
    }
    std::vector<uint8_t> out;
    put_text(out, "CEDT", 4);
    put(out, length, 4);
    put(out, 1, 1);  // revision
    put(out, 0, 1);  // checksum, set below
    put_text(out, "BOCHS", 6);
    put_text(out, "BXPC", 8);
    put(out, 1, 4);  // OEM revision
    put_text(out, "BXPC", 4);
    put(out, 1, 4);  // creator revision
    for (const auto& s : structures) {
        out.insert(out.end(), s.begin(), s.end());
    }
    uint8_t sum = 0;
    for (uint8_t b : out) {
        sum = static_cast<uint8_t>(sum + b);
    }
    out[9] = static_cast<uint8_t>(0x100 - sum);
    return out;
}

std::vector<uint8_t> load_acpi_dump(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    std::vector<uint8_t> bytes;
    std::string text;
    unsigned number = 0;
    bool in_hex = false;
    auto bad = [&path, &number](const char* why) {
        return std::runtime_error(path + ":" + std::to_string(number) + ": " + why);
    };
    while (std::getline(in, text)) {
        ++number;
        if (!in_hex) {
            in_hex = text == "hex:";
            continue;
        }
        std::istringstream line(text);
        std::string offset;
        if (!(line >> offset) || offset.size() < 2 || offset.back() != ':' ||
            !is_hex(offset.substr(0, offset.size() - 1)) ||
            std::stoul(offset.substr(0, offset.size() - 1), nullptr, 16) != bytes.size()) {
            throw bad("line out of sequence");
        }
        std::string byte;
        while (line >> byte) {
            if (byte.size() != 2 || !is_hex(byte)) {
                throw bad("not a byte");
            }
            bytes.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
        }
    }
    if (!in_hex) {
        throw std::runtime_error(path + ": no hex section");
    }
    return bytes;
}

}  // namespace sim
}  // namespace tarvo
