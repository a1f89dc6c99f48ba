#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iomanip>
#include <sstream>
#include <string>
#include <type_traits>

// Counts of one set of results.
struct statistics {
    int32_t passed = 0;
    int32_t warnings = 0;
    int32_t aborted = 0;
    int32_t failed = 0;
    int32_t skipped = 0;
};
using Stats_t = statistics;

// s in fixed-point notation with exactly prec digits after the point.
std::string double_to_str_w_precision(double s, int prec);

// "Passes: p     Fails: f     Aborts: a     Warnings: w" (skipped not shown).
std::string stats_str(statistics stats);

// Local time as "%FT%T%z " (trailing blank), or "n\a" for the clock's epoch.
std::string timestamp_str(std::chrono::system_clock::time_point tp);

// Reads "%Y-%m-%dT%H:%M:%S" as local time; the zone offset after it is not
// read. A text that does not match gives the clock's epoch.
std::chrono::system_clock::time_point str_timestamp(std::string s);

char* Strncpy(char* dest, const char* src, size_t n);

// Appends the mapped values of m, in the map's order, to v.
template <typename M, typename V>
void MapValueToVec(const M& m, V& v) {
    for (const auto& element : m) {
        v.push_back(element.second);
    }
}

// "0x" and i in lower-case hexadecimal, two digits per byte of T.
template <typename T>
std::string to_hexstr(T i) {
    static_assert(std::is_integral<T>::value, "to_hexstr takes an integer");
    using U = typename std::make_unsigned<T>::type;
    std::ostringstream out;
    out << "0x" << std::setfill('0') << std::setw(static_cast<int>(sizeof(T) * 2)) << std::hex
        << static_cast<uint64_t>(static_cast<U>(i));
    return out.str();
}
