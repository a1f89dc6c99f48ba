#include <gtest/gtest.h>

#include "core/io/hwio/cxl_registers.hpp"
#include "core/io/hwio/register.hpp"

using tarvo::core::Register;
using tarvo::core::RegisterField;

namespace {

Register WithFields(uint64_t width, std::initializer_list<RegisterField> fields) {
    Register reg("Test", "", "", 0x10, width);
    for (const auto& f : fields) reg.fields.push_back(f);
    return reg;
}

}  // namespace

TEST(RegisterModel, UnpacksAndPacksTwoFields) {
    Register reg = WithFields(16, {{"A", "", 0, 4, 0}, {"B", "", 4, 4, 0}});
    reg.SetValue(0x1A5);  // bit 8 reaches no field
    uint64_t a = 0, b = 0;
    EXPECT_EQ(reg.GetValuebyFieldName("A", a), 0);
    EXPECT_EQ(reg.GetValuebyFieldName("B", b), 0);
    EXPECT_EQ(a, 0x5u);
    EXPECT_EQ(b, 0xAu);
    EXPECT_EQ(reg.GetValue(), 0xA5u);

    // A later SetValue replaces every field; the next packing follows it.
    reg.SetValue(0x3C);
    EXPECT_EQ(reg.GetValue(), 0x3Cu);
}

TEST(RegisterModel, WideAndTopFieldsCoverTheWholeValue) {
    const uint64_t raw = 0x8123456789ABCDEFull;
    struct Case { uint64_t lowbit, width, field, packed; };
    const Case cases[] = {
        {0, 64, raw, raw},
        {0, 512, raw, raw},
        {63, 1, 1, uint64_t{1} << 63},
        {32, 64, raw >> 32, raw & 0xFFFFFFFF00000000ull},
        {64, 8, 0, 0},  // starts beyond the 64-bit value: takes and gives nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "lowbit " << c.lowbit << " width " << c.width);
        Register reg = WithFields(512, {{"F", "", c.lowbit, c.width, 0}});
        reg.SetValue(raw);
        EXPECT_EQ(reg.fields[0].GetValue(), c.field);
        EXPECT_EQ(reg.GetValue(), c.packed);
    }
}

TEST(RegisterModel, SetFieldbyNameStoresUnmaskedAndSpillsWhenPacked) {
    tarvo::core::CXLRASUncorrectableErrorMask mask;
    EXPECT_EQ(mask.SetFieldbyName("ErrorMask", 0x1FFFF), 0);
    uint64_t v = 0;
    EXPECT_EQ(mask.GetValuebyFieldName("ErrorMask", v), 0);
    EXPECT_EQ(v, 0x1FFFFu);
    // Bits 16:0 set: the RSVDZ bits and the three one-bit masks included.
    EXPECT_EQ(mask.GetValue(), 0x1FFFFu);

    // Unpacking masks again: the spill lands in the neighbouring fields.
    mask.SetValue(mask.GetValue());
    EXPECT_EQ(mask.GetValuebyFieldName("ErrorMask", v), 0);
    EXPECT_EQ(v, 0xFFFu);
    EXPECT_EQ(mask.GetValuebyFieldName("CXL_IDE_Rx_Error_Mask", v), 0);
    EXPECT_EQ(v, 1u);
}

TEST(RegisterModel, LookupsAreExactAndChangeNothingOnMiss) {
    tarvo::core::CXLRASUncorrectableErrorMask mask;
    mask.SetValue(0xABC);
    for (const char* name : {"errormask", "ERRORMASK", "ErrorMask ", "Error", ""}) {
        SCOPED_TRACE(name);
        uint64_t v = 0x5A5A;
        EXPECT_EQ(mask.GetValuebyFieldName(name, v), -1);
        EXPECT_EQ(v, 0x5A5Au);
        EXPECT_EQ(mask.SetFieldbyName(name, 0xFFFFFFFF), -1);
        EXPECT_EQ(mask.GetValue(), 0xABCu);
    }
}

TEST(RegisterModel, GetBytesRoundsUpToWholeBytes) {
    struct Case { uint64_t width, bytes; };
    const Case cases[] = {{1, 1}, {8, 1}, {9, 2}, {16, 2}, {24, 3}, {32, 4},
                          {64, 8}, {128, 16}, {512, 64}};
    for (const auto& c : cases) {
        Register reg("Test", "", "", 0, c.width);
        EXPECT_EQ(reg.GetBytes(), c.bytes) << "width " << c.width;
        EXPECT_EQ(reg.GetWidth(), c.width);
    }
}
