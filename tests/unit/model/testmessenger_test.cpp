#include <gtest/gtest.h>

#include "core/testcases/testmessenger.hpp"
#include "log_capture.hpp"

using tarvo::core::TestMessenger;
using R = LogCapture::Record;

TEST(TestMessenger, EveryOperationEmitsOneRecordAtItsSeverity) {
    LogCapture log;
    TestMessenger m;
    std::string field = "DVSECVendorID";
    const std::string rule(30, '=');

    m.info_msg("i");
    m.warn_msg("w");
    m.fail_msg("f");
    m.field_msg(field, 0x1E98u, "CXL", false);
    m.field_msg(field, 0x1E98u, "CXL", true);
    m.field_msg("Rev", std::string("two"), "n", false);
    m.compare_msg("a", 255, "b", 16, false);
    m.compare_msg("a", 0, "b", 0, true);
    m.mismatch_msg("DVSECRev", 1, 0);
    m.validated_msg("len", 0x38, 0x38);
    m.stream_msg({"DVSECID", "DVSECLen"}, {2, 336});
    m.stream_msg({"DVSECID", "DVSECLen"}, {});
    m.stream_msg({"DVSECID", "DVSECLen"}, {1, 2, 3});
    m.stream_msg({"a", "b", "c"}, {1});
    m.block_msg("x", false);
    m.block_msg("x", true);
    for (int level : {0, 1, 2, 3, 4, 5, -1}) {
        m.debug_msg(level, "t");
    }

    const std::vector<R> expected = {
        {info, "i"},
        {warning, "w"},
        {fail, "f"},
        {info, "  (DVSECVENDORID): 1e98 (CXL)"},
        {debug_2, "  (DVSECVENDORID): 1e98 (CXL)"},
        {info, "  (REV): two (n)"},
        {info, "A  [ff]  | B [10] "},
        {debug_2, "A  [0]  | B [0] "},
        {debug_2, "MISMATCH DVSECREV  [1]  | EXPECTED [0] "},
        {debug_2, "VALIDATED LEN  [38]  | EXPECTED [38] "},
        {info, "DVSECID2DVSECLen336"},
        {info, "DVSECIDDVSECLen"},
        {info, "DVSECID1DVSECLen2"},
        {info, "a1bc"},
        {info, "[[ See Below ]] \n\n" + rule + "\n\nx\n" + rule + "\n"},
        {debug_2, "[[ See Below ]] \n\n" + rule + "\n\nx\n" + rule + "\n"},
        {tracer, "t"}, {debug_1, "t"}, {debug_2, "t"}, {debug_3, "t"}, {debug_4, "t"},
        {tracer, "t"}, {tracer, "t"},
    };
    EXPECT_EQ(log.records(), expected);
    // Upper-casing works on the messenger's own copy.
    EXPECT_EQ(field, "DVSECVendorID");
}

TEST(TestMessenger, UpperCasesOnlyAsciiLettersByteByByte) {
    LogCapture log;
    TestMessenger m;
    m.field_msg("a-z_\xc3\xa9", 1u, "", false);
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].text, "  (A-Z_\xc3\xa9): 1 ()");
}
