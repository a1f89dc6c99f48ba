// The simulated register blocks answer by access width as the QEMU device
// does, and the bar-registers dump loads into them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "sim/register_blocks.hpp"
#include "sim/sim_hwio.hpp"
#include "sim/work_dir.hpp"

namespace {

using namespace tarvo::sim;

const std::string kDump = std::string(TARVO_FIXTURE_DIR) + "/qemu/bar-registers.txt";

struct Blocks : ::testing::Test {
    std::shared_ptr<SimBus> bus = std::make_shared<SimBus>();
    SimHwio io{bus};
    uint64_t read(uint64_t addr, int len) {
        unsigned char b[8] = {};
        EXPECT_EQ(io.ReadMMIO(b, addr, len), 1);
        uint64_t v = 0;
        for (int i = 0; i < len; ++i) {
            v |= uint64_t{b[i]} << (8 * i);
        }
        return v;
    }
    void write(uint64_t addr, uint64_t v, int len) {
        unsigned char b[8] = {};
        for (int i = 0; i < len; ++i) {
            b[i] = static_cast<unsigned char>(v >> (8 * i));
        }
        EXPECT_EQ(io.WriteMMIO(b, addr, len), 1);
    }
};

TEST_F(Blocks, CacheMemRegistersAnswerOnlyFourByteAccesses) {
    RegisterBlock comp = add_component_block(*bus, 0xfe800000, {{2, 2, 0x80}});
    const uint64_t header = 0xfe800000 + kCacheMemOffset;
    // The widths bar-registers.txt shows at the CXL Capability Header.
    EXPECT_EQ(read(header, 4), 0x01110001u);
    EXPECT_EQ(read(header + 4, 4), 0x08020002u);
    EXPECT_EQ(read(header, 8), 0u);
    EXPECT_EQ(read(header, 2), 0u);
    EXPECT_EQ(read(header + 2, 2), 0u);
    EXPECT_EQ(read(header, 1), 0u);
    // A longer read is made of 4-byte accesses, so it sees the registers.
    unsigned char many[16] = {};
    ASSERT_EQ(io.ReadMMIO(many, header + 4, 12), 1);
    EXPECT_EQ(many[0], 0x02);
    EXPECT_EQ(many[3], 0x08);

    // Writes reach read-write bits at 4 bytes only; other widths are dropped.
    comp.registers().set_attr(0x1088, 4, 0xFFFFFFFF);
    write(0xfe801088, 0x1234, 8);
    EXPECT_EQ(comp.registers().get32(0x1088), 0u);
    write(0xfe801088, 0x1234, 2);
    EXPECT_EQ(comp.registers().get32(0x1088), 0u);
    write(0xfe801088, 0x1234, 4);
    EXPECT_EQ(read(0xfe801088, 4), 0x1234u);
    write(0xfe801000, 0xFFFFFFFF, 4);  // read-only header
    EXPECT_EQ(read(header, 4), 0x01110001u);

    const std::vector<MemAccess>& widths = comp.range().accesses();
    ASSERT_FALSE(widths.empty());
    EXPECT_EQ(widths.front().width, 4);
}

TEST_F(Blocks, SixtyFourBitStatusRegisterReadsRightOnlyAtEightBytes) {
    RegisterBlock mdev = add_memory_device_block(
        *bus, 0xfe610000, 0x1000, {{1, 1, 0x80, 8}, {2, 1, 0x88, 0x820}, {0x4000, 1, 0x8a8, 8}});
    mdev.registers().set64(0x8a8, 0x14);
    mdev.registers().set32(0x88, 0xb);
    // Device Capabilities Array: right at 4 and 8 bytes, 0 at 1 and 2.
    EXPECT_EQ(read(0xfe610000, 8), 0x0000000300010000u);
    EXPECT_EQ(read(0xfe610004, 4), 3u);
    EXPECT_EQ(read(0xfe610002, 2), 0u);
    EXPECT_EQ(read(0xfe610030, 8), 0x000008a800014000u);
    // Memory Device Status: every access inside it reads its low bytes.
    EXPECT_EQ(read(0xfe6108a8, 8), 0x14u);
    EXPECT_EQ(read(0xfe6108ac, 4), 0x14u);
    EXPECT_EQ(read(0xfe6108aa, 2), 0x14u);
    // The mailbox registers around it keep 4-byte answers.
    EXPECT_EQ(read(0xfe610088, 4), 0xbu);
    EXPECT_EQ(read(0xfe61008c, 4), 0u);
}

TEST(BarRegisters, LoadsTheBlocksOfBothQemuFunctions) {
    SimBus bus;
    std::vector<DumpedBlock> blocks = load_bar_registers(bus, kDump);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].sbdf.sbdf(), tarvo::SBDF(0, 0x0c, 0, 0).sbdf());
    EXPECT_EQ(blocks[0].rbi, 1);
    EXPECT_EQ(blocks[0].block.base(), 0xfe800000u);
    EXPECT_EQ(blocks[0].block.size(), 0x10000u);
    EXPECT_EQ(blocks[1].sbdf.sbdf(), tarvo::SBDF(0, 0x0d, 0, 0).sbdf());
    EXPECT_EQ(blocks[1].block.base(), 0xfe600000u);
    EXPECT_EQ(blocks[2].rbi, 3);
    EXPECT_EQ(blocks[2].block.base(), 0xfe610000u);
    EXPECT_EQ(blocks[2].block.size(), 0x1000u);

    RegisterSpace& rp = blocks[0].block.registers();
    EXPECT_EQ(rp.get32(0x1000), 0x05110001u);
    EXPECT_EQ(rp.get32(0x1014), 0xa8410008u);
    EXPECT_EQ(rp.get32(0x1110), 0x00000310u);
    RegisterSpace& mdev = blocks[2].block.registers();
    EXPECT_EQ(mdev.get64(0), 0x0000000300010000u);
    EXPECT_EQ(mdev.get32(0x34), 0x8a8u);
    // The status register dumped as "00000014 00000014" is the 64-bit 0x14.
    EXPECT_EQ(mdev.get64(0x8a8), 0x14u);
}

TEST(BarRegisters, MalformedDumpsNameTheirLine) {
    const std::pair<const char*, const char*> dumps[] = {
        {"  block 1: BIR=0 id=1 (Component Registers) offset=0x0\n", ":1:"},
        {"0000:0c:00.0\n      01000: 05110001\n", ":2:"},
        {"0000:0c:00.0\n  block 1: BIR=0 id=1 (C) offset=0x0\n"
         "    BAR0: 0xfe800000 size 0x10 -> block at 0xfe800000, mapping 0x10 bytes\n"
         "      00010: 00000001\n",
         ":4:"},
    };
    ScopedWorkDir dir;
    for (const auto& d : dumps) {
        SCOPED_TRACE(d.first);
        const std::string path = dir.path() + "/bar.txt";
        std::ofstream(path) << d.first;
        SimBus bus;
        try {
            load_bar_registers(bus, path);
            ADD_FAILURE() << "no error raised";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(d.second), std::string::npos) << e.what();
        }
    }
}

}  // namespace
