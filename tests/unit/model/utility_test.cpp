#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "common/utility.hpp"
#include "utc_zone.hpp"

TEST(Utility, NumberTexts) {
    EXPECT_EQ(double_to_str_w_precision(3.14159, 2), "3.14");
    EXPECT_EQ(double_to_str_w_precision(3.14159, 0), "3");
    EXPECT_EQ(double_to_str_w_precision(0.5, 3), "0.500");
    EXPECT_EQ(double_to_str_w_precision(2.0f, 1), "2.0");
    EXPECT_EQ(double_to_str_w_precision(1.1f, 1), "1.1");

    EXPECT_EQ(stats_str(statistics{3, 2, 1, 4, 9}),
              "Passes: 3     Fails: 4     Aborts: 1     Warnings: 2");

    EXPECT_EQ(to_hexstr<int>(0x1E98), "0x00001e98");
    EXPECT_EQ(to_hexstr<unsigned long>(0x1E98), "0x0000000000001e98");
    EXPECT_EQ(to_hexstr<int>(-1), "0xffffffff");
    EXPECT_EQ(to_hexstr<uint8_t>(0xA), "0x0a");  // a number, not a character
    EXPECT_EQ(to_hexstr<int16_t>(-2), "0xfffe");
}

TEST(Utility, TimeStamps) {
    UtcZone utc;
    EXPECT_EQ(timestamp_str({}), "n\\a");
    EXPECT_EQ(timestamp_str(std::chrono::system_clock::time_point(std::chrono::seconds(1))),
              "1970-01-01T00:00:01+0000 ");
    auto tp = str_timestamp("2026-12-09T07:15:30-+0000");
    EXPECT_EQ(std::chrono::system_clock::to_time_t(tp), 1796800530);
    EXPECT_EQ(timestamp_str(tp), "2026-12-09T07:15:30+0000 ");
    EXPECT_EQ(str_timestamp("not a time").time_since_epoch().count(), 0);
}

TEST(Utility, MapValuesAppendAndCopy) {
    std::vector<int> v{7};
    MapValueToVec(std::map<std::string, int>{}, v);
    EXPECT_EQ(v, std::vector<int>{7});
    MapValueToVec(std::map<std::string, int>{{"b", 2}, {"a", 1}}, v);
    EXPECT_EQ(v, (std::vector<int>{7, 1, 2}));

    char buf[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(Strncpy(buf, "ab", 4), buf);
    EXPECT_STREQ(buf, "ab");
}
