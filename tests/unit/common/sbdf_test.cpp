#include <gtest/gtest.h>

#include <sstream>

#include "common/sbdf.hpp"

using tarvo::SBDF;

TEST(SBDF, PacksAndPrintsWithoutSegment) {
    struct Case { uint32_t seg, bus, dev, fun, packed; const char* text; };
    const Case cases[] = {
        {0, 0x3a, 0, 1, 0x3A01, "3a:0.1"},
        {1, 0x80, 0x1f, 7, 0x180FF, "80:1f.7"},
        {0, 0, 0, 0, 0, "0:0.0"},
    };
    for (const auto& c : cases) {
        SBDF s(c.seg, c.bus, c.dev, c.fun);
        EXPECT_EQ(s.sbdf(), c.packed);
        EXPECT_EQ(s.str(), c.text);
        EXPECT_EQ(s.seg(), c.seg);
        EXPECT_EQ(s.bus(), c.bus);
        EXPECT_EQ(s.dev(), c.dev);
        EXPECT_EQ(s.fun(), c.fun);
    }
    EXPECT_EQ(SBDF().str(), "0:0.0");
}

TEST(SBDF, StreamStaysHexadecimal) {
    std::ostringstream out;
    out << SBDF(0, 0x0d, 0, 0) << ' ' << 10;
    EXPECT_EQ(out.str(), "d:0.0 a");
}

TEST(SBDF, SegmentsDifferAsKeysNotAsText) {
    SBDF a(0, 1, 2, 3), b(1, 1, 2, 3);
    EXPECT_EQ(a.str(), b.str());
    EXPECT_NE(a.sbdf(), b.sbdf());
}
