#include <gtest/gtest.h>

#include <ctime>
#include <ios>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

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

TEST(TextHelpers, CheckAndEditWholeTexts) {
    using Check = bool (*)(std::string);
    struct Case {
        Check check;
        const char* name;
        std::string text;
        bool expected;
    };
    // Long enough to overflow the stack of a recursive pattern matcher.
    const std::string long_tail(1 << 20, '7');
    const Case cases[] = {
        {cli::isNumeric, "isNumeric", "1", true},
        {cli::isNumeric, "isNumeric", "907", true},
        {cli::isNumeric, "isNumeric", "1" + long_tail, true},
        {cli::isNumeric, "isNumeric", "0", false},
        {cli::isNumeric, "isNumeric", "07", false},
        {cli::isNumeric, "isNumeric", "", false},
        {cli::isNumeric, "isNumeric", "-1", false},
        {cli::isNumeric, "isNumeric", "12a", false},
        {cli::isNumeric, "isNumeric", "12\n", false},
        {cli::isHex, "isHex", "0x1f", true},
        {cli::isHex, "isHex", "0XaB09", true},
        {cli::isHex, "isHex", "0x" + long_tail, true},
        {cli::isHex, "isHex", "0x", false},
        {cli::isHex, "isHex", "1f", false},
        {cli::isHex, "isHex", "00x1", false},
        {cli::isHex, "isHex", "0x1g", false},
        {cli::isHex, "isHex", " 0x1", false},
        {cli::isVariable, "isVariable", "a", true},
        {cli::isVariable, "isVariable", "Ab9_/x", true},
        {cli::isVariable, "isVariable", "v" + long_tail, true},
        {cli::isVariable, "isVariable", "", false},
        {cli::isVariable, "isVariable", "9a", false},
        {cli::isVariable, "isVariable", "_a", false},
        {cli::isVariable, "isVariable", "a-b", false},
        {cli::isVariable, "isVariable", "a b", false},
        {cli::isString, "isString", "\"x\"", true},
        {cli::isString, "isString", "\"\"", true},
        {cli::isString, "isString", "\"", true},
        {cli::isString, "isString", "\"x", false},
        {cli::isString, "isString", "", false},
        {cli::isDevice, "isDevice", "3a:00.1", true},
        {cli::isDevice, "isDevice", "3a.1", false},
        {cli::isRangeIndicator, "isRangeIndicator", "1-4", true},
        {cli::isRangeIndicator, "isRangeIndicator", "14", false},
        {cli::isAssigning, "isAssigning", "a=1", true},
        {cli::isAssigning, "isAssigning", "a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.check(c.text), c.expected) << c.name << "(\"" << c.text.substr(0, 20) << "\")";

    EXPECT_EQ(cli::remove_trailing_char("a,b,", ','), "a,b");
    EXPECT_EQ(cli::remove_trailing_char("a,,", ','), "a,");
    EXPECT_EQ(cli::remove_trailing_char("ab", ','), "ab");
    EXPECT_EQ(cli::remove_trailing_char("", ','), "");
    EXPECT_EQ(cli::remove_all_char_in(",a,,b,", ','), "ab");
    EXPECT_EQ(cli::remove_all_char_in("", ','), "");
    EXPECT_EQ(cli::color("bad", "\x1b[31m"), "\x1b[31mbad\x1b[0m");
}

TEST(TextHelpers, UsageHasTheVersionsAndTheHeaderRowOnly) {
    EXPECT_EQ(cli::usage("2.0.8"), "Tarvo CLI version 2.0.8\nusing Tarvo Test Engine version 2.0.8\n"
                                   "Command List" + std::string(35, ' ') + "Description\n" +
                                       std::string(38, ' ') + "\n");
}

TEST(TextHelpers, TimestampIsTheLocalTimeNow) {
    auto local = [](std::time_t t) {
        std::tm tm{};
        localtime_r(&t, &tm);
        char buf[32];
        return std::string(buf, std::strftime(buf, sizeof buf, "%Y-%m-%dT%H-%M-%S", &tm));
    };
    const std::time_t before = std::time(nullptr);
    const std::string stamp = cli::timestamp();
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(stamp == local(before) || stamp == local(after)) << stamp;
    EXPECT_EQ(stamp.size(), 19u);
}

TEST(TextHelpers, FunAndTestrowWriteALine) {
    Capture out;
    cli::fun("word");
    cli::fun(nullptr);
    const auto td = rundoubles::entry("2/CFG/4", 2, "CFG", 4, "Cfg4");
    cli::print_testrow(td, 3);
    cli::print_testrow(td, 500);
    std::cout << std::right;
    EXPECT_EQ(out.text(), "word\n\n" + td.str() + "\n" + td.str() + "\n");
}

namespace {

const cli::pci_dev kUntouched{-1, -1, -1, -1};

std::tuple<int, int, int, int> fields(const cli::pci_dev& d) {
    return std::make_tuple(d.domain, d.bus, d.slot, d.func);
}

}  // namespace

TEST(SlotFilter, ReadsEveryFieldFormAndEachLimit) {
    struct Case {
        std::string text;
        const char* error;  // null: accepted
        cli::pci_dev dev;   // after the call
    };
    const char* domain = "Invalid domain number";
    const char* bus = "Invalid bus number";
    const char* slot = "Invalid slot number";
    const char* func = "Invalid function number";
    const Case cases[] = {
        {"", nullptr, kUntouched},
        {"1f", nullptr, {-1, -1, 0x1f, -1}},
        {"3a:0", nullptr, {-1, 0x3a, 0, -1}},
        {"1:3a:2.3", nullptr, {1, 0x3a, 2, 3}},
        {"Ab:1F", nullptr, {-1, 0xab, 0x1f, -1}},
        {".7", nullptr, {-1, -1, -1, 7}},
        {"*:*:*.*", nullptr, kUntouched},
        {"::.", nullptr, kUntouched},
        {"*:5:", nullptr, {-1, 5, -1, -1}},
        {"0000000000000004", nullptr, {-1, -1, 4, -1}},
        {"7fffffff::", nullptr, {0x7fffffff, -1, -1, -1}},
        {"80000000::", domain, kUntouched},
        {"ffffffffffffffffffff::", domain, kUntouched},
        {"ff:", nullptr, {-1, 0xff, -1, -1}},
        {"100:", bus, kUntouched},
        {"1f.", nullptr, {-1, -1, 0x1f, -1}},
        {"20", slot, kUntouched},
        {"0.7", nullptr, {-1, -1, 0, 7}},
        {"0.8", func, kUntouched},
        // The first bad field is named, and a bad field changes no other.
        {"80000000:100:20.8", domain, kUntouched},
        {"0:100:20.8", bus, kUntouched},
        {"3a:20.8", slot, kUntouched},
        {"0:3a:1f.8", func, kUntouched},
        // Only bare hexadecimal digits are numbers.
        {"0x1f", slot, kUntouched},
        {"-1:", bus, kUntouched},
        {" 1", slot, kUntouched},
        {"1*", slot, kUntouched},
        {"1:2:3:4", domain, kUntouched},
        {"1.2.3", func, kUntouched},
    };
    for (const Case& c : cases) {
        std::vector<char> text(c.text.begin(), c.text.end());
        text.push_back('\0');
        cli::pci_dev dev = kUntouched;
        const char* error = cli::pci_filter_parse_slot(&dev, text.data());
        EXPECT_STREQ(error, c.error) << c.text;
        EXPECT_EQ(fields(dev), fields(c.dev)) << c.text;
    }
}

TEST(SlotFilter, CutsTheTextAtItsSeparatorsAndLeavesNullAlone) {
    char text[] = "1:3a:2.3";
    cli::pci_dev dev = kUntouched;
    EXPECT_EQ(cli::pci_filter_parse_slot(&dev, text), nullptr);
    EXPECT_EQ(std::string(text, sizeof text), std::string("1\0" "3a\0" "2\0" "3\0", 9));

    // No record or no text: nothing is read or written, and nothing failed.
    char kept[] = "1:2.3";
    EXPECT_EQ(cli::pci_filter_parse_slot(nullptr, kept), nullptr);
    EXPECT_STREQ(kept, "1:2.3");
    EXPECT_EQ(cli::pci_filter_parse_slot(&dev, nullptr), nullptr);
    EXPECT_EQ(fields(dev), std::make_tuple(1, 0x3a, 2, 3));
}

TEST(InputHelpers, PageAsksOnlyOnTheLastLineOfAPage) {
    struct Case {
        int current, total;
        std::string in;
        int result;
        std::string out, rest;
    };
    const Case cases[] = {
        {0, 3, "s", 1, "", "s"},
        {2, 3, "s", 1, ":", ""},
        {5, 3, "x", 0, ":", ""},
        {2, 3, "", 0, ":", ""},
        {0, 1, "sn", 1, ":", "n"},
        {-1, 3, "s", 1, "", "s"},
        // No lines to a page: no division, nothing read.
        {4, 0, "s", 1, "", "s"},
        {4, -2, "s", 1, "", "s"},
    };
    for (const Case& c : cases) {
        testsupport::Feed in(c.in);
        Capture out;
        EXPECT_EQ(cli::page(c.current, c.total), c.result) << c.current << "/" << c.total;
        EXPECT_EQ(out.text(), c.out) << c.current << "/" << c.total;
        EXPECT_EQ(in.rest(), c.rest) << c.current << "/" << c.total;
    }
}

TEST(InputHelpers, InputReadsOneLineAndSurvivesTheEndOfInput) {
    const std::string long_line(100000, 'q');
    testsupport::Feed in("first line\n" + long_line + "\nlast");
    Capture out;
    EXPECT_EQ(cli::input("Name", "? "), "first line");
    EXPECT_EQ(cli::input("", ""), long_line);
    EXPECT_EQ(cli::input("", ""), "last");
    EXPECT_EQ(cli::input(">", ""), "");
    EXPECT_EQ(cli::input(">", ""), "");
    EXPECT_EQ(out.text(), "Name? >>");
}

TEST(InputHelpers, MoreIsNoOnlyForN) {
    struct Case {
        std::string in;
        bool result;
        std::string rest;
    };
    const Case cases[] = {
        {"y\nnext", true, "next"},
        {"n\nnext", false, "next"},
        {"nope\nnext", false, "next"},
        // An empty answer keeps the line after it.
        {"\nnext", true, "next"},
        {"", true, ""},
        // At most 256 characters of a long answer are dropped.
        {"y" + std::string(300, 'a') + "\nnext", true, std::string(44, 'a') + "\nnext"},
    };
    for (const Case& c : cases) {
        testsupport::Feed in(c.in);
        Capture out;
        EXPECT_EQ(cli::more(), c.result) << c.in.substr(0, 10);
        EXPECT_EQ(out.text(), "show more (y/n): ");
        EXPECT_EQ(in.rest(), c.rest) << c.in.substr(0, 10);
    }
}
