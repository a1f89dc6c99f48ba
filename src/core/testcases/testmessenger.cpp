#include "core/testcases/testmessenger.hpp"

#include <cctype>
#include <sstream>

namespace tarvo {
namespace core {

namespace {

std::string upper(std::string text) {
    for (auto& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

severity_level info_or_debug(bool debug) { return debug ? debug_2 : info; }

}  // namespace

void TestMessenger::emit(severity_level level, const std::string& text) {
    BOOST_LOG_SEV(m_logger, level) << text;
}

void TestMessenger::info_msg(std::string msg) { emit(info, msg); }

void TestMessenger::warn_msg(std::string msg) { emit(warning, msg); }

void TestMessenger::fail_msg(std::string msg) { emit(fail, msg); }

void TestMessenger::field_msg(std::string field, std::string msg, std::string note, bool debug) {
    emit(info_or_debug(debug), "  (" + upper(field) + "): " + msg + " (" + note + ")");
}

void TestMessenger::field_msg(std::string field, uint32_t item, std::string note, bool debug) {
    std::ostringstream text;
    text << "  (" << upper(field) << "): " << std::hex << item << " (" << note << ")";
    emit(info_or_debug(debug), text.str());
}

void TestMessenger::compare_msg(std::string lhs, uint32_t itemlhs, std::string rhs,
                                uint32_t itemrhs, bool debug) {
    std::ostringstream text;
    text << std::hex << upper(lhs) << "  [" << itemlhs << "] " << " | " << upper(rhs) << " ["
         << itemrhs << "] ";
    emit(info_or_debug(debug), text.str());
}

void TestMessenger::mismatch_msg(std::string what, uint32_t item, uint32_t expected) {
    compare_msg("Mismatch " + what, item, "Expected", expected, true);
}

void TestMessenger::validated_msg(std::string lhs, uint32_t item, uint32_t validator) {
    compare_msg("Validated " + lhs, item, "Expected", validator, true);
}

void TestMessenger::stream_msg(std::vector<std::string> parts, std::vector<uint32_t> nums) {
    std::ostringstream text;
    std::size_t next = 0;
    for (const auto& part : parts) {
        text << part;
        if (next < nums.size()) {
            text << nums[next++];
        }
    }
    emit(info, text.str());
}

void TestMessenger::block_msg(std::string block, bool debug) {
    const std::string rule(30, '=');
    emit(info_or_debug(debug),
         "[[ See Below ]] \n\n" + rule + "\n\n" + block + "\n" + rule + "\n");
}

void TestMessenger::debug_msg(int level, std::string msg) {
    severity_level sev = tracer;
    switch (level) {
        case 1: sev = debug_1; break;
        case 2: sev = debug_2; break;
        case 3: sev = debug_3; break;
        case 4: sev = debug_4; break;
        default: break;
    }
    emit(sev, msg);
}

}  // namespace core
}  // namespace tarvo
