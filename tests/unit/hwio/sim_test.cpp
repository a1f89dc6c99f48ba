// The simulated function itself: what other tests rely on when they assert
// on it.
#include <gtest/gtest.h>

#include <memory>

#include "sim/config_builder.hpp"
#include "sim/sim_hwio.hpp"

namespace {

using tarvo::SBDF;
using namespace tarvo::sim;

const SBDF kFn(0, 0x0d, 0, 0);

class Sim : public ::testing::Test {
protected:
    std::shared_ptr<SimBus> bus = std::make_shared<SimBus>();
    SimHwio io{bus};
    int read32(int offset, uint32_t& out) {
        unsigned char b[4] = {};
        const int rc = io.ReadPCI(b, 0, 0x0d, 0, 0, offset, 4);
        out = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        return rc;
    }
    int write32(int offset, uint32_t v) {
        unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                              static_cast<unsigned char>(v >> 16),
                              static_cast<unsigned char>(v >> 24)};
        return io.WritePCI(b, 0, 0x0d, 0, 0, offset, 4);
    }
};

TEST_F(Sim, EachBitFollowsItsWriteAttribute) {
    ConfigSpace& s = bus->add_function(kFn);
    s.set32(0x40, 0xFFFF0000);
    // Low byte read-write, bits 15:8 read-only, bits 31:16 write-1-to-clear.
    s.set_attr(0x40, 4, 0x000000FF, 0xFFFF0000);
    ASSERT_EQ(write32(0x40, 0x0F0FA5A5), 1);
    EXPECT_EQ(s.get32(0x40), 0xF0F000A5u);
    EXPECT_EQ(s.attr(0x40, 0), BitAttr::rw);
    EXPECT_EQ(s.attr(0x41, 0), BitAttr::ro);
    EXPECT_EQ(s.attr(0x43, 7), BitAttr::rw1c);

    // Transfers beyond the space fail like a short read; a 256-byte space
    // has no extended configuration space.
    uint32_t v = 0;
    EXPECT_EQ(read32(0xFFC, v), 1);
    EXPECT_EQ(read32(0xFFE, v), 0);
    bus->add_function(kFn, ConfigSpace(ConfigSpace::kLegacySize));
    EXPECT_EQ(read32(0x100, v), 0);
    EXPECT_EQ(read32(0xFC, v), 1);
}

TEST_F(Sim, HooksPresentValuesAndSeeWrites) {
    ConfigSpace& s = bus->add_function(kFn);
    s.set_attr_range(0x200, 8, BitAttr::rw);
    int reads = 0;
    bus->on_config_read(kFn, 0x204, 0x208, [&](const ConfigEvent& e) {
        e.space.set32(0x204, 0x1000 + static_cast<uint32_t>(++reads));
    });
    std::vector<uint32_t> seen;
    const HookId w = bus->on_config_write(kFn, 0x200, 0x204, [&](const ConfigEvent& e) {
        EXPECT_NE(e.data, nullptr);
        EXPECT_EQ(e.before[0], 0x00);
        seen.push_back(e.space.get32(0x200));
        e.space.set32(0x200, 0);  // a self-clearing trigger
    });
    uint32_t v = 0;
    ASSERT_EQ(read32(0x204, v), 1);
    EXPECT_EQ(v, 0x1001u);
    ASSERT_EQ(read32(0x200, v), 1);  // outside the read hook's range
    EXPECT_EQ(reads, 1);
    ASSERT_EQ(write32(0x200, 0x80000000), 1);
    EXPECT_EQ(seen, std::vector<uint32_t>{0x80000000});
    EXPECT_EQ(s.get32(0x200), 0u);
    bus->remove_hook(w);
    ASSERT_EQ(write32(0x200, 0x1), 1);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(s.get32(0x200), 1u);
}

TEST_F(Sim, FaultsAtAnOffsetOrAfterSomeAccesses) {
    bus->add_function(kFn).set32(0x10, 0x12345678);
    bus->fail_at(AccessKind::config_read, 0x12, kFn);
    uint32_t v = 0xAAAA;
    EXPECT_EQ(read32(0x10, v), 0);  // covers 0x12
    EXPECT_EQ(read32(0x14, v), 1);
    bus->clear_faults();
    bus->fail_after(AccessKind::config_read, 2);
    EXPECT_EQ(read32(0x10, v), 1);
    EXPECT_EQ(read32(0x10, v), 1);
    EXPECT_EQ(read32(0x10, v), 0);
    EXPECT_EQ(read32(0x10, v), 0);
    EXPECT_EQ(write32(0x10, 0), 1);  // other kinds are not counted

    const auto reads = bus->log_of(AccessKind::config_read);
    ASSERT_EQ(reads.size(), 6u);
    EXPECT_FALSE(reads[0].ok);
    EXPECT_TRUE(reads[2].ok);
    EXPECT_EQ(reads[2].value, 0x12345678u);
    EXPECT_FALSE(reads[5].ok);
}

TEST_F(Sim, MemoryIsMovedAtExactWidthsAndRecorded) {
    MemRange& regs = bus->add_memory(0xFE600000, 0x1000);
    regs.set64(0x10, 0x1122334455667788);
    unsigned char buf[16] = {};
    ASSERT_EQ(io.ReadMMIO(buf, 0xFE600010, 8), 1);
    EXPECT_EQ(buf[0], 0x88);
    ASSERT_EQ(io.ReadPhysMem(buf, 0xFE600010, 16), 1);
    ASSERT_EQ(io.WriteMMIO(buf, 0xFE600021, 2), 1);
    const std::vector<std::tuple<uint64_t, int, bool>> want = {
        {0x10, 8, false}, {0x10, 4, false}, {0x14, 4, false}, {0x18, 4, false},
        {0x1C, 4, false}, {0x21, 1, true},  {0x22, 1, true}};
    std::vector<std::tuple<uint64_t, int, bool>> got;
    for (const MemAccess& a : regs.accesses()) got.emplace_back(a.offset, a.width, a.write);
    EXPECT_EQ(got, want);
    EXPECT_EQ(bus->log_of(AccessKind::phys_read).size(), 1u);

    // Nothing answers outside the ranges, or across a range's end.
    EXPECT_EQ(io.ReadMMIO(buf, 0xFE5FFFFC, 4), 0);
    EXPECT_EQ(io.ReadMMIO(buf, 0xFE600FFE, 4), 0);
    EXPECT_THROW(bus->add_memory(0xFE600800, 0x1000), std::invalid_argument);

    // Memory write hooks see the bytes written.
    uint64_t written = 0;
    bus->on_mem_write(0xFE600100, 0xFE600108, [&](const MemEvent& e) {
        written = e.range.get64(e.addr - e.range.base());
    });
    unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(io.WritePhysMem(eight, 0xFE600100, 8), 1);
    EXPECT_EQ(written, 0x0807060504030201u);
}

TEST_F(Sim, AcpiTablesFilesAndTheDoeDevice) {
    bus->set_acpi_table("CEDT", {'C', 'E', 'D', 'T', 0x44});
    unsigned char buf[8] = {};
    char cedt[] = "CEDT";
    char other[] = "SRAT";
    EXPECT_EQ(io.ReadACPI(buf, cedt, 5), 1);
    EXPECT_EQ(buf[4], 0x44);
    EXPECT_EQ(io.ReadACPI(buf, cedt, 6), 0);
    EXPECT_EQ(io.ReadACPI(buf, other, 1), 0);
    EXPECT_EQ(bus->log().back().name, "SRAT");

    bus->set_file("/x", {9, 8, 7});
    EXPECT_EQ(io.ReadFile(buf, "/x", 1, 2), 1);
    EXPECT_EQ(buf[1], 7);

    EXPECT_EQ(io.ReadDOE(buf, 4), 1);
    EXPECT_EQ(io.WriteDOE(buf, 4), 0);
    bus->set_doe_device(true);
    EXPECT_EQ(io.WriteDOE(buf, 4), 1);
}

}  // namespace
