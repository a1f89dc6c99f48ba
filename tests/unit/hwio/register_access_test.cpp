// Register-level configuration access, as every hwio implementation shares
// it, driven through the simulated function.
#include <gtest/gtest.h>

#include <memory>

#include "core/io/hwio/hwio.hpp"
#include "sim/config_builder.hpp"
#include "sim/sim_hwio.hpp"

namespace {

using tarvo::SBDF;
using tarvo::core::Register;
using tarvo::core::RegisterField;
using namespace tarvo::sim;

const SBDF kFn(0, 0x0d, 0, 0);

Register make_register(uint64_t offset, uint64_t width) {
    Register reg("Test", "", "", offset, width);
    reg.fields.emplace_back("Low", "", 0, 8, 0);
    reg.fields.emplace_back("Rest", "", 8, width > 8 ? width - 8 : 0, 0);
    return reg;
}

uint64_t field(const Register& reg, const std::string& name) {
    uint64_t v = 0xDEAD;
    EXPECT_EQ(reg.GetValuebyFieldName(name, v), 0);
    return v;
}

class RegisterAccess : public ::testing::Test {
protected:
    void SetUp() override {
        ConfigBuilder b;
        b.ids(0x8086, 0x0d93).pcie_cap(PCIE_EP);
        pcie = b.last();
        b.dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38);
        dvsec = b.last();
        bus->add_function(kFn, b.build());
    }
    ConfigSpace& space() { return bus->config(kFn); }

    std::shared_ptr<SimBus> bus = std::make_shared<SimBus>();
    SimHwio io{bus};
    size_t pcie = 0;
    size_t dvsec = 0;
};

TEST_F(RegisterAccess, ReadTakesTheRegisterBytesOfItsDword) {
    space().set32(0x04, 0xA1B2C3D4);
    Register status = make_register(0x06, 16);
    ASSERT_EQ(io.ReadPCI(kFn, 0, status), 0);
    EXPECT_EQ(field(status, "Low"), 0xB2u);
    EXPECT_EQ(field(status, "Rest"), 0xA1u);
    ASSERT_EQ(bus->log().size(), 1u);
    EXPECT_EQ(bus->log()[0].kind, AccessKind::config_read);
    EXPECT_EQ(bus->log()[0].address, 0x04u);
    EXPECT_EQ(bus->log()[0].len, 4);

    // A top byte with bit 7 set is not sign-extended.
    Register whole = make_register(0x04, 32);
    ASSERT_EQ(io.ReadPCI(kFn, 0, whole), 0);
    EXPECT_EQ(field(whole, "Rest"), 0xA1B2C3u);

    // The base offset moves the dword; a 24-bit register at 0x09 fills its
    // dword to the top byte, assembled without overflow.
    space().set32(dvsec + 0x08, 0xFEDCBA00);
    Register wide = make_register(0x09, 24);
    ASSERT_EQ(io.ReadPCI(kFn, dvsec, wide), 0);
    EXPECT_EQ(field(wide, "Low"), 0xBAu);
    EXPECT_EQ(field(wide, "Rest"), 0xFEDCu);
    EXPECT_EQ(bus->log().back().address, dvsec + 0x08);
}

TEST_F(RegisterAccess, RegistersOutsideOneDwordAreRefusedBeforeAnyAccess) {
    struct Case { uint64_t offset, width; };
    for (Case c : {Case{0x03, 16}, Case{0x02, 32}, Case{0x01, 32}, Case{0x00, 64},
                   Case{0x00, 0}, Case{0x04, 40}}) {
        Register reg = make_register(c.offset, c.width);
        reg.SetValue(0x1234);
        EXPECT_EQ(io.ReadPCI(kFn, 0, reg), -1) << c.offset << "/" << c.width;
        EXPECT_EQ(io.WritePCI(kFn, 0, reg), -1) << c.offset << "/" << c.width;
        EXPECT_EQ(field(reg, "Low"), 0x34u);
    }
    // A base that cannot be a byte-level offset is refused too.
    Register reg = make_register(0x00, 32);
    EXPECT_EQ(io.ReadPCI(kFn, uint64_t{1} << 40, reg), -1);
    EXPECT_TRUE(bus->log().empty());
}

TEST_F(RegisterAccess, WriteReadsTheDwordButWritesOnlyItsOwnBytes) {
    space().set_attr_range(0x0C, 4, BitAttr::rw);
    space().set32(0x0C, 0x44332211);
    Register reg = make_register(0x0D, 8);
    reg.SetValue(0xAB);
    ASSERT_EQ(io.WritePCI(kFn, 0, reg), 0);
    EXPECT_EQ(space().get32(0x0C), 0x4433AB11u);
    ASSERT_EQ(bus->log().size(), 2u);
    EXPECT_EQ(bus->log()[0].kind, AccessKind::config_read);
    EXPECT_EQ(bus->log()[0].address, 0x0Cu);
    EXPECT_EQ(bus->log()[0].len, 4);
    EXPECT_EQ(bus->log()[1].kind, AccessKind::config_write);
    EXPECT_EQ(bus->log()[1].address, 0x0Du);
    EXPECT_EQ(bus->log()[1].len, 1);
    EXPECT_EQ(bus->log()[1].value, 0xABu);
}

TEST_F(RegisterAccess, WritingAControlRegisterLeavesItsStatusNeighbourAlone) {
    // Device Control beside Device Status, DVSEC CXL Control beside DVSEC CXL
    // Status: the status bits are write-1-to-clear and set.
    struct Case { size_t control; size_t status; uint16_t pending; };
    for (Case c : {Case{pcie + 0x08, pcie + 0x0A, 0x000F}, Case{dvsec + 0x0C, dvsec + 0x0E, 0x4000}}) {
        space().set16(c.status, c.pending);
        Register control = make_register(c.control % 4, 16);
        ASSERT_EQ(io.ReadPCI(kFn, c.control - c.control % 4, control), 0);
        control.SetFieldbyName("Low", 0x05);
        ASSERT_EQ(io.WritePCI(kFn, c.control - c.control % 4, control), 0);
        EXPECT_EQ(space().get16(c.control), 0x0005u);
        EXPECT_EQ(space().get16(c.status), c.pending) << "status cleared at " << c.status;
    }
}

TEST_F(RegisterAccess, FailuresLeaveTheRegisterAndTheDeviceAlone) {
    space().set_attr_range(0x0C, 4, BitAttr::rw);
    space().set32(0x0C, 0x11111111);
    Register reg = make_register(0x0C, 32);
    reg.SetValue(0x2222);

    bus->fail_at(AccessKind::config_read, 0x0C);
    EXPECT_EQ(io.ReadPCI(kFn, 0, reg), -1);
    EXPECT_EQ(field(reg, "Low"), 0x22u);
    EXPECT_EQ(io.WritePCI(kFn, 0, reg), -1);
    EXPECT_TRUE(bus->log_of(AccessKind::config_write).empty());
    EXPECT_EQ(space().get32(0x0C), 0x11111111u);

    bus->clear_faults();
    bus->fail_at(AccessKind::config_write, 0x0C);
    EXPECT_EQ(io.WritePCI(kFn, 0, reg), -1);
    EXPECT_EQ(space().get32(0x0C), 0x11111111u);

    // A function that does not exist: 0 byte-level, -1 register-level.
    const SBDF absent(0, 0x0e, 0, 0);
    unsigned char buf[4] = {};
    EXPECT_EQ(io.ReadPCI(buf, 0, 0x0e, 0, 0, 0, 4), 0);
    EXPECT_EQ(io.ReadPCI(absent, 0, reg), -1);
}

TEST(SplitMmioAccess, ExactWidthsForRegistersDwordsOrBytesOtherwise) {
    struct Case { uint64_t addr; size_t len; std::vector<std::pair<size_t, int>> chunks; };
    const Case cases[] = {
        {0x1000, 8, {{0, 8}}},
        {0x1004, 4, {{0, 4}}},
        {0x1002, 2, {{0, 2}}},
        {0x1003, 1, {{0, 1}}},
        {0x1004, 8, {{0, 4}, {4, 4}}},           // 8 bytes not 8-aligned
        {0x1001, 2, {{0, 1}, {1, 1}}},           // unaligned halfword
        {0x1000, 16, {{0, 4}, {4, 4}, {8, 4}, {12, 4}}},
        {0x1002, 7, {{0, 1}, {1, 1}, {2, 4}, {6, 1}}},
        {0x1000, 3, {{0, 1}, {1, 1}, {2, 1}}},
        {0x1000, 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<size_t, int>> got;
        for (const auto& chunk : tarvo::core::split_mmio_access(c.addr, c.len)) {
            got.emplace_back(chunk.offset, chunk.width);
        }
        EXPECT_EQ(got, c.chunks) << std::hex << c.addr << " len " << c.len;
    }
}

}  // namespace
