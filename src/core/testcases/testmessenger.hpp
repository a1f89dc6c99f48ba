#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "common/logging.hpp"

namespace tarvo {
namespace core {

// The channel through which a test case reports its findings: every
// operation emits exactly one log record of a fixed severity.
class TestMessenger {
public:
    void info_msg(std::string msg);
    void warn_msg(std::string msg);
    void fail_msg(std::string msg);

    // "  (FIELD): msg (note)"; debug_2 when debug is set, else info.
    void field_msg(std::string field, std::string msg, std::string note, bool debug);
    // "  (FIELD): item-in-hex (note)"; debug_2 when debug is set, else info.
    void field_msg(std::string field, uint32_t item, std::string note, bool debug);
    // "LHS  [itemlhs]  | RHS [itemrhs] " with the items in hexadecimal.
    void compare_msg(std::string lhs, uint32_t itemlhs, std::string rhs, uint32_t itemrhs,
                     bool debug);
    void mismatch_msg(std::string what, uint32_t item, uint32_t expected);
    void validated_msg(std::string lhs, uint32_t item, uint32_t validator);
    // Each part followed by the next unused number, in decimal, at info.
    void stream_msg(std::vector<std::string> parts, std::vector<uint32_t> nums);
    // A block of text between two rules of "=".
    void block_msg(std::string block, bool debug);
    // debug_1 to debug_4 for levels 1 to 4, tracer for any other level.
    void debug_msg(int level, std::string msg);

private:
    void emit(severity_level level, const std::string& text);

    Logger_t m_logger;
    std::ostringstream s;
};

}  // namespace core
}  // namespace tarvo
