#include "comptests/cfg_support.hpp"

#include <sstream>

#include "core/devices/devcomp.hpp"
#include "core/io/hwio/cxl_registers.hpp"
#include "core/testcases/testmessenger.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {
namespace support {

uint64_t field(const core::Register& reg, const std::string& name) {
    uint64_t value = 0;
    reg.GetValuebyFieldName(name, value);
    return value;
}

std::string line(const std::string& text) { return text + "\n"; }

std::string hex_record(const std::string& prefix, uint64_t value) {
    std::stringstream ss;
    ss << std::hex << prefix << value << "\n";
    return ss.str();
}

std::string mismatch_prefix(const std::string& label, uint64_t expected) {
    std::stringstream ss;
    ss << std::hex << "Mismatch field " << label << " expected:0x" << expected << " read:0x";
    return ss.str();
}

std::string mismatch_record(const std::string& label, uint64_t expected, uint64_t read) {
    return hex_record(mismatch_prefix(label, expected), read);
}

void judge(core::Testools& tt, bool holds, const std::string& record, int& fail) {
    if (holds) return;
    tt.messenger->fail_msg(record);
    fail = 1;
}

core::TestResult failed_with(core::Testools& tt, const std::string& record) {
    tt.messenger->fail_msg(record);
    return core::FailingTestResult("");
}

namespace {

void judge_vendor(core::Testools& tt, const core::Register& h1, int& fail) {
    const uint64_t vendor = field(h1, "DVSECVendorID");
    judge(tt, vendor == CXL_DVSEC_VENDOR_ID,
          mismatch_record("DVSECVID", CXL_DVSEC_VENDOR_ID, vendor), fail);
}

}  // namespace

void judge_header1(core::Testools& tt, const core::Register& h1, uint64_t rev, uint64_t len,
                   int& fail) {
    judge_vendor(tt, h1, fail);
    const uint64_t rev_read = field(h1, "DVSECRev");
    const uint64_t len_read = field(h1, "DVSECLen");
    judge(tt, rev_read == rev, mismatch_record("DVSECREV", rev, rev_read), fail);
    judge(tt, len_read == len, mismatch_record("DVSECLEN", len, len_read), fail);
}

bool launch_and_find(core::Testools& tt, const std::string& launch, DVSEC_ID_t id,
                     const std::string& not_found, uint64_t& base) {
    tt.messenger->info_msg(launch);
    if (tt.device->GetDVSECOffset(id, base) == 0) return true;
    tt.messenger->fail_msg(not_found);
    return false;
}

int read_dvsec_headers(core::Testools& tt, uint64_t base, core::Register& h1, core::Register& h2) {
    if (tt.device->ReadPCI(base, h1) != 0) return -1;
    return tt.device->ReadPCI(base, h2) != 0 ? -1 : 0;
}

core::TestResult run_header_test(core::Testools& tt, const HeaderTest& test) {
    tt.messenger->info_msg(test.launch);
    uint64_t base = 0;
    if (tt.device->GetDVSECOffset(test.id, base) != 0) {
        if (test.optional) {
            tt.messenger->warn_msg(test.not_found);
            return core::FinishedNotSupportedTestResult("");
        }
        return failed_with(tt, test.not_found);
    }
    tt.messenger->info_msg("Reading Designated Vendor-Specific Header1");
    core::DVSECHeader1 h1;
    core::DVSECHeader2 h2;
    if (read_dvsec_headers(tt, base, h1, h2) != 0) return failed_with(tt, test.read_failure);
    int fail = 0;
    judge_vendor(tt, h1, fail);
    for (const HeaderRule& rule : test.rules) {
        const std::string name = rule.field;
        const uint64_t value = name == "DVSECID" ? field(h2, name) : field(h1, name);
        if (rule.judged)
            judge(tt, value == rule.expected, hex_record(rule.prefix, value), fail);
        else
            tt.messenger->info_msg(hex_record(rule.prefix, value));
    }
    if (fail) return core::FailingTestResult("");
    return core::PassingTestResult("");
}

}  // namespace support
}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
