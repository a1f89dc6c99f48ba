#pragma once

// Reading, comparing and reporting steps shared by the CXL 2.0
// configuration-space test cases.

#include <cstdint>
#include <string>
#include <vector>

#include "common/cxl_types.hpp"
#include "core/io/hwio/register.hpp"
#include "core/testcases/testools.hpp"
#include "core/testcases/testresult.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {
namespace support {

// The value of a named field; 0 when the register has no such field (the
// catalogue defines every field the tests name).
uint64_t field(const core::Register& reg, const std::string& name);

// text, then a newline.
std::string line(const std::string& text);

// prefix, then value in lowercase hexadecimal, then a newline.
std::string hex_record(const std::string& prefix, uint64_t value);

// "Mismatch field <label> expected:0x<expected> read:0x", the start of a
// mismatch record.
std::string mismatch_prefix(const std::string& label, uint64_t expected);

// The mismatch prefix, then the value read and a newline.
std::string mismatch_record(const std::string& label, uint64_t expected, uint64_t read);

// Logs record as a failure and sets fail when the check does not hold.
void judge(core::Testools& tt, bool holds, const std::string& record, int& fail);

// Logs record as a failure and returns a failed result with an empty message.
core::TestResult failed_with(core::Testools& tt, const std::string& record);

// Judges the vendor, revision and length of a DVSEC Header 1, logging a
// mismatch record for each field that differs.
void judge_header1(core::Testools& tt, const core::Register& h1, uint64_t rev, uint64_t len,
                   int& fail);

// Logs the launch record and locates the DVSEC into base; when it is absent
// logs not_found as a failure and returns false.
bool launch_and_find(core::Testools& tt, const std::string& launch, DVSEC_ID_t id,
                     const std::string& not_found, uint64_t& base);

// Reads both DVSEC header registers at base; 0 when both were read.
int read_dvsec_headers(core::Testools& tt, uint64_t base, core::Register& h1, core::Register& h2);

// One judged header field: the record is prefix + value read + newline.
struct HeaderRule {
    const char* field;  // "DVSECRev", "DVSECLen" or "DVSECID"
    uint64_t expected;
    std::string prefix;
    bool judged = true;  // false: the value is logged at info, not judged
};

// A DVSEC header test that judges every field and decides at the end: the
// vendor must be the CXL one, then each rule is checked in order.
struct HeaderTest {
    std::string launch;
    DVSEC_ID_t id;
    std::string not_found;
    bool optional;  // absent: warning and finished-not-supported, else fail and failed
    std::string read_failure;
    std::vector<HeaderRule> rules;
};

core::TestResult run_header_test(core::Testools& tt, const HeaderTest& test);

}  // namespace support
}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
