#include <gtest/gtest.h>

#include <ios>
#include <stdexcept>
#include <string>
#include <tuple>

#include "cli/utility.hpp"
#include "unit/cli/test_support.hpp"
#include "unit/run/doubles.hpp"

using cli::testkey_from_str;
using testsupport::Capture;
using testsupport::lines_of;
using Key = std::tuple<std::string, std::string, int>;

TEST(TestKeyFromStr, SplitsOneToThreePartsAndDefaultsOtherwise) {
    const std::pair<std::string, Key> cases[] = {
        {"2/CFG/4", Key{"2", "CFG", 4}},
        {"1.1/CFG/13", Key{"1.1", "CFG", 13}},
        {"2.0/cfg/4", Key{"2.0", "cfg", 4}},
        {"CFG/4", Key{"", "CFG", 4}},
        {"4", Key{"", "", 4}},
        {"2//CFG/4", Key{"2", "CFG", 4}},
        {"2/CFG/4a", Key{"2", "CFG", 4}},
        {"2/CFG/ -3", Key{"2", "CFG", -3}},
        {"/2/CFG/4", Key{"", "", 0}},
        {"2/CFG/4/", Key{"", "", 0}},
        {"1/2/CFG/4", Key{"", "", 0}},
        {"", Key{"", "", 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(testkey_from_str(c.first), c.second) << '"' << c.first << '"';
}

TEST(TestKeyFromStr, ANumberPartThatIsNoNumberRaises) {
    EXPECT_THROW(testkey_from_str("2/CFG/x"), std::invalid_argument);
    EXPECT_THROW(testkey_from_str("CFG"), std::invalid_argument);
    EXPECT_THROW(testkey_from_str("2/CFG/4294967296"), std::out_of_range);
}

TEST(PrintTestlist, PrintsAHeaderARuleAndOneFixedWidthRowPerEntry) {
    Capture out;
    cli::print_testlist({rundoubles::entry("1.1/CFG/13", 1.1f, "CFG", 13, "HDM through FLR",
                                           "RCIEP"),
                         rundoubles::entry("2/CFG/10", 2, "CFG", 10, "Ports", "RP,USP,DSP")});
    const auto lines = lines_of(out.text());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Key            Spec  Group ID    Port           Name" +
                            std::string(60, ' '));
    EXPECT_EQ(lines[1], std::string(106, '='));
    EXPECT_EQ(lines[2], "1.1/CFG/13     1.1   CFG   13    RCIEP          HDM through FLR" +
                            std::string(49, ' '));
    EXPECT_EQ(lines[3].substr(0, 48), "2/CFG/10       2     CFG   10    RP,USP,DSP     ");
}

TEST(PrintTestlist, NumbersAreDecimalEvenAfterAHexadecimalAddress) {
    Capture out;
    std::cout << std::hex;
    cli::print_testlist({rundoubles::entry("2/MMR/12", 2, "MMR", 12)});
    std::cout << std::dec;
    EXPECT_EQ(lines_of(out.text())[2].substr(0, 30), "2/MMR/12       2     MMR   12 ");
}

TEST(PrintTestlist, AnEmptyListPrintsNothing) {
    Capture out;
    cli::print_testlist({});
    EXPECT_EQ(out.text(), "");
}
