#include "common/utility.hpp"

#include <cstring>
#include <ctime>

std::string double_to_str_w_precision(double s, int prec) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(prec) << s;
    return out.str();
}

std::string stats_str(statistics stats) {
    std::ostringstream out;
    out << "Passes: " << stats.passed << "     Fails: " << stats.failed
        << "     Aborts: " << stats.aborted << "     Warnings: " << stats.warnings;
    return out.str();
}

std::string timestamp_str(std::chrono::system_clock::time_point tp) {
    if (tp.time_since_epoch().count() == 0) {
        return "n\\a";
    }
    std::time_t t = std::chrono::system_clock::to_time_t(tp);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) {
        return "n\\a";
    }
    char buf[64];
    size_t n = std::strftime(buf, sizeof(buf), "%FT%T%z ", &local);
    return std::string(buf, n);
}

std::chrono::system_clock::time_point str_timestamp(std::string s) {
    std::tm fields{};
    fields.tm_isdst = 0;
    if (strptime(s.c_str(), "%Y-%m-%dT%H:%M:%S", &fields) == nullptr) {
        return {};
    }
    std::time_t t = std::mktime(&fields);
    if (t == static_cast<std::time_t>(-1)) {
        return {};
    }
    return std::chrono::system_clock::from_time_t(t);
}

char* Strncpy(char* dest, const char* src, size_t n) { return std::strncpy(dest, src, n); }
