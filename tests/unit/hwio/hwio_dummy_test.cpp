#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "core/io/hwio/hwio_dummy.hpp"
#include "sim/work_dir.hpp"

namespace {

using tarvo::core::hwio_dummy;

std::vector<unsigned char> file_bytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void make_file(const std::string& name, size_t size, unsigned char fill) {
    std::ofstream out(name, std::ios::binary);
    out << std::string(size, static_cast<char>(fill));
}

class HwioDummy : public ::testing::Test {
protected:
    tarvo::sim::ScopedWorkDir dir;
    hwio_dummy io;
};

TEST_F(HwioDummy, FileNamesOfEachAccess) {
    EXPECT_EQ(io.pci_filename(0, 58, 0, 1), "PCI_0_58_0_1.bin");
    unsigned char data[4] = {1, 2, 3, 4};
    ASSERT_EQ(io.WriteMMIO(data, 0x1000, 4), 1);
    ASSERT_EQ(io.WritePhysMem(data, 0xFE600000, 2), 1);
    ASSERT_EQ(io.WriteDOE(data, 3), 1);
    EXPECT_EQ(file_bytes("MMIO_0x1000.bin"), (std::vector<unsigned char>{1, 2, 3, 4}));
    EXPECT_EQ(file_bytes("MEM_0xfe600000.bin"), (std::vector<unsigned char>{1, 2}));
    EXPECT_EQ(file_bytes("DOE0Write.bin"), (std::vector<unsigned char>{1, 2, 3}));

    unsigned char back[4] = {};
    EXPECT_EQ(io.ReadMMIO(back, 0x1000, 4), 1);
    EXPECT_EQ(std::vector<unsigned char>(back, back + 4), (std::vector<unsigned char>{1, 2, 3, 4}));

    make_file("CEDT", 3, 0x7E);
    make_file("DOE0Read.bin", 2, 0x55);
    char id[] = "CEDT";
    unsigned char acpi[4] = {0, 0, 0, 0xAA};
    EXPECT_EQ(io.ReadACPI(acpi, id, 4), 1);
    // A short file leaves the tail of the buffer as it was.
    EXPECT_EQ(std::vector<unsigned char>(acpi, acpi + 4),
              (std::vector<unsigned char>{0x7E, 0x7E, 0x7E, 0xAA}));
    unsigned char doe[2] = {};
    EXPECT_EQ(io.ReadDOE(doe, 2), 1);
    EXPECT_EQ(doe[1], 0x55);
}

TEST_F(HwioDummy, WritePlacesBytesAndKeepsTheRest) {
    make_file("PCI_0_1_0_0.bin", 256, 0xEE);
    unsigned char two[2] = {0x12, 0x34};
    ASSERT_EQ(io.WritePCI(two, 0, 1, 0, 0, 6, 2), 1);
    std::vector<unsigned char> content = file_bytes("PCI_0_1_0_0.bin");
    ASSERT_EQ(content.size(), 256u);
    EXPECT_EQ(content[5], 0xEE);
    EXPECT_EQ(content[6], 0x12);
    EXPECT_EQ(content[7], 0x34);
    EXPECT_EQ(content[8], 0xEE);

    make_file("PCI_0_2_0_0.bin", 16, 0xEE);
    unsigned char four[4] = {1, 2, 3, 4};
    ASSERT_EQ(io.WritePCI(four, 0, 2, 0, 0, 0x10, 4), 1);
    EXPECT_EQ(file_bytes("PCI_0_2_0_0.bin").size(), 20u);

    // A new file with a gap before the written bytes holds zeros there.
    ASSERT_EQ(io.WriteFile(four, "gap.bin", 3, 2), 1);
    EXPECT_EQ(file_bytes("gap.bin"), (std::vector<unsigned char>{0, 0, 0, 1, 2}));

    // The last byte of the 4096 the buffer holds can be written.
    ASSERT_EQ(io.WriteFile(four, "edge.bin", 4095, 1), 1);
    EXPECT_EQ(file_bytes("edge.bin").size(), 4096u);
}

TEST_F(HwioDummy, WritesBeyondItsBufferAreRefusedAndChangeNothing) {
    make_file("big.bin", 4097, 0x11);
    make_file("small.bin", 8, 0x11);
    std::vector<unsigned char> data(4096, 0x22);
    struct Case { const char* file; int offset; int len; };
    for (Case c : {Case{"big.bin", 0, 1}, Case{"small.bin", 4095, 2}, Case{"small.bin", 0, 4097},
                   Case{"small.bin", -1, 1}, Case{"small.bin", 0, -1},
                   Case{"small.bin", 0x7FFFFFFF, 2}}) {
        EXPECT_EQ(io.WriteFile(data.data(), c.file, c.offset, c.len), 0)
            << c.file << " " << c.offset << " " << c.len;
    }
    EXPECT_EQ(file_bytes("big.bin").size(), 4097u);
    EXPECT_EQ(file_bytes("small.bin"), std::vector<unsigned char>(8, 0x11));
    // The write slots report the refusal.
    EXPECT_EQ(io.WriteMMIO(data.data(), 0x2000, 4097), 0);
}

TEST_F(HwioDummy, ByteReadsAnnounceThemselvesAndRegisterAccessFails) {
    make_file("PCI_0_58_0_1.bin", 8, 0x42);
    unsigned char buf[2] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(io.ReadPCI(buf, 0, 58, 0, 1, 0, 2), 1);
    EXPECT_EQ(io.ReadPCI(buf, 0, 99, 0, 0, 0, 2), 1);  // missing file still reads
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "hwiodummy\nhwiodummy\n");
    EXPECT_EQ(buf[0], 0x42);

    tarvo::core::Register reg("R", "", "", 0, 32);
    EXPECT_EQ(io.ReadPCI(tarvo::SBDF(0, 58, 0, 1), 0, reg), -1);
    EXPECT_EQ(io.WritePCI(tarvo::SBDF(0, 58, 0, 1), 0, reg), -1);
    EXPECT_EQ(file_bytes("PCI_0_58_0_1.bin"), std::vector<unsigned char>(8, 0x42));
}

TEST_F(HwioDummy, RescanOfAFileWithoutDirectoryFails) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(io.TriggerPCIRescan(0, 1, 0, 0), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Canonical path for \"\" threw exception:\n", 0), 0u) << out;
    EXPECT_NE(out.find("\nRemove bus from its root before rescan failed\n"), std::string::npos);
}

}  // namespace
