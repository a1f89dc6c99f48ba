#include <gtest/gtest.h>

#include <memory>

#include "sim/config_builder.hpp"
#include "sim/sim_hwio.hpp"

namespace {

using tarvo::SBDF;
using namespace tarvo::sim;

TEST(ConfigBuilder, LinksCapabilitiesAndExtendedCapabilitiesInOrder) {
    ConfigBuilder b;
    b.ids(0x8086, 0x0d93).class_code(0x050210, 1).capability(0x11, 0x0C).pcie_cap(RP);
    b.dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38).reg(0x0A, 0x001E, 2).doe().aer(0x400);
    const ConfigSpace s = b.build();

    EXPECT_EQ(s.get32(0x00), 0x0d938086u);
    EXPECT_EQ(s.get32(0x08), 0x05021001u);
    EXPECT_EQ(s.get16(0x06) & 0x10, 0x10);  // capability list present
    EXPECT_EQ(b.capabilities(), (std::vector<size_t>{0x40, 0x4C}));
    EXPECT_EQ(s.get8(0x34), 0x40);
    EXPECT_EQ(s.get16(0x40), 0x4C11);
    EXPECT_EQ(s.get16(0x4C), 0x0010);
    EXPECT_EQ(s.get16(0x4E), 0x0042);  // version 2, Root Port

    EXPECT_EQ(b.ext_capabilities(), (std::vector<size_t>{0x100, 0x138, 0x400}));
    EXPECT_EQ(s.get32(0x100), 0x13810023u);
    EXPECT_EQ(s.get32(0x104), 0x03811E98u);  // length 0x38, revision 1, CXL vendor
    EXPECT_EQ(s.get16(0x108), 0x0000);
    EXPECT_EQ(s.get16(0x10A), 0x001E);
    EXPECT_EQ(s.get32(0x138), 0x4001002Eu);
    EXPECT_EQ(s.get32(0x400), 0x00020001u);

    EXPECT_THROW(ConfigBuilder().ext_cap(0x3, 1, 0x0C, 0x200), std::invalid_argument);
    EXPECT_THROW(ConfigBuilder(256).doe(), std::length_error);
    EXPECT_THROW(ConfigBuilder().capability(0x5, 0x20, 0xF0), std::length_error);
}

TEST(ConfigBuilder, StructuresGetTheirWriteBehaviour) {
    ConfigBuilder b;
    b.pcie_cap(PCIE_EP);
    const size_t pcie = b.last();
    b.dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38);
    const size_t dvsec = b.last();
    b.doe();
    const size_t doe = b.last();
    b.aer();
    const size_t aer = b.last();
    const ConfigSpace s = b.build();

    struct Case { size_t offset; unsigned bit; BitAttr attr; };
    const Case cases[] = {
        {0x04, 1, BitAttr::rw},            // Command: Memory Space
        {0x07, 5, BitAttr::rw1c},          // Status: Received Master Abort
        {0x00, 0, BitAttr::ro},            // Vendor ID
        {pcie + 0x08, 0, BitAttr::rw},     // Device Control
        {pcie + 0x0A, 0, BitAttr::rw1c},   // Device Status
        {pcie + 0x04, 0, BitAttr::ro},     // Device Capabilities
        {dvsec + 0x0C, 2, BitAttr::rw},    // DVSEC CXL Control: Mem_Enable
        {dvsec + 0x0F, 6, BitAttr::rw1c},  // DVSEC CXL Status: Viral Status
        {dvsec + 0x0A, 0, BitAttr::ro},    // DVSEC CXL Capability
        {dvsec + 0x14, 0, BitAttr::rw},    // DVSEC CXL Lock
        {dvsec + 0x27, 7, BitAttr::rw},    // Range 1 Base Low, bit 31
        {dvsec + 0x24, 0, BitAttr::ro},    // Range 1 Base Low, reserved
        {dvsec + 0x1C, 0, BitAttr::ro},    // Range 1 Size Low
        {doe + 0x0B, 7, BitAttr::rw},      // DOE Go
        {doe + 0x0C, 0, BitAttr::ro},      // DOE Busy
        {doe + 0x10, 0, BitAttr::rw},      // Write Data Mailbox
        {aer + 0x04, 4, BitAttr::rw1c},    // Uncorrectable Error Status
        {aer + 0x08, 4, BitAttr::rw},      // Uncorrectable Error Mask
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s.attr(c.offset, c.bit), c.attr) << std::hex << c.offset << " bit " << c.bit;
    }
}

TEST(ConfigBuilder, BarsAnswerSizingWithTheirSize) {
    auto bus = std::make_shared<SimBus>();
    const SBDF fn(0, 2, 0, 0);
    bus->add_function(fn, ConfigBuilder()
                              .bar(0, 0xFE600000, 0x10000, true)
                              .bar(2, 0xFE611000, 0x1000)
                              .io_bar(3, 0xC040, 0x20)
                              .build());
    SimHwio io(bus);
    const unsigned char ones[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    struct Case { int offset; uint32_t before, sized; };
    const Case cases[] = {
        {0x10, 0xFE600004, 0xFFFF0004},  // 64-bit, 64 KiB
        {0x14, 0x00000000, 0xFFFFFFFF},  // its upper half
        {0x18, 0xFE611000, 0xFFFFF000},  // 32-bit, 4 KiB
        {0x1C, 0x0000C041, 0xFFFFFFE1},  // I/O, 32 bytes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bus->config(fn).get32(static_cast<size_t>(c.offset)), c.before);
        unsigned char buf[4];
        std::copy(ones, ones + 4, buf);
        ASSERT_EQ(io.WritePCI(buf, 0, 2, 0, 0, c.offset, 4), 1);
        EXPECT_EQ(bus->config(fn).get32(static_cast<size_t>(c.offset)), c.sized) << c.offset;
    }
    EXPECT_THROW(ConfigBuilder().bar(5, 0, 0x1000, true), std::invalid_argument);
    EXPECT_THROW(ConfigBuilder().bar(0, 0, 0x1800), std::invalid_argument);
}

}  // namespace
