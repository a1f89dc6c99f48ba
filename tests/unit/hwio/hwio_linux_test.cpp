// Parts of the Linux hardware access that need no fake device tree; the rest
// runs in a private mount namespace (tests/ns).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/io/hwio/hwio_creator.hpp"
#include "core/io/hwio/hwio_linux.hpp"
#include "sim/sim_hwio.hpp"
#include "sim/work_dir.hpp"

namespace {

using tarvo::core::hwio_linux;

TEST(HwioLinux, ConfigurationFileName) {
    EXPECT_EQ(hwio_linux::pci_filename(0, 0x3a, 0, 1), "/sys/bus/pci/devices/0000:3a:00.1/config");
    EXPECT_EQ(hwio_linux::pci_filename(0x10, 0xff, 0x1f, 7),
              "/sys/bus/pci/devices/0010:ff:1f.7/config");
    // Out-of-range parts widen as printf's "%04x:%02x:%02x.%x" widens them.
    EXPECT_EQ(hwio_linux::pci_filename(0x12345, 0x100, 0xabc, 0x10),
              "/sys/bus/pci/devices/12345:100:abc.10/config");
    EXPECT_EQ(hwio_linux::pci_filename(-1, 0, 0, 0),
              "/sys/bus/pci/devices/ffffffff:00:00.0/config");
}

TEST(HwioLinux, FilesReadAndWrittenWhole) {
    tarvo::sim::ScopedWorkDir dir;
    hwio_linux io;
    std::ofstream("f.bin") << "0123456789";
    unsigned char buf[4] = {};
    ASSERT_EQ(io.ReadFile(buf, "f.bin", 2, 4), 1);
    EXPECT_EQ(std::string(buf, buf + 4), "2345");
    unsigned char in[2] = {'x', 'y'};
    ASSERT_EQ(io.WriteFile(in, "f.bin", 8, 2), 1);
    ASSERT_EQ(io.ReadFile(buf, "f.bin", 6, 4), 1);
    EXPECT_EQ(std::string(buf, buf + 4), "67xy");

    // Short reads, missing files, bad arguments: 0, nothing created.
    EXPECT_EQ(io.ReadFile(buf, "f.bin", 8, 4), 0);
    EXPECT_EQ(io.ReadFile(buf, "missing", 0, 1), 0);
    EXPECT_EQ(io.WriteFile(in, "missing", 0, 1), 0);
    EXPECT_FALSE(std::filesystem::exists("missing"));
    EXPECT_EQ(io.ReadFile(buf, "f.bin", -1, 1), 0);
    EXPECT_EQ(io.ReadFile(buf, "f.bin", 0, -1), 0);
    EXPECT_EQ(io.WriteFile(in, "f.bin", 0, -1), 0);
}

TEST(HwioLinux, AnUnresolvablePathCountsAsAbsent) {
    tarvo::sim::ScopedWorkDir dir;
    // A symbolic link loop makes the throwing existence test raise.
    std::filesystem::create_symlink("loop", "loop");
    hwio_linux io;
    unsigned char buf[4] = {};
    EXPECT_NO_THROW(EXPECT_EQ(io.ReadFile(buf, "loop/config", 0, 4), 0));
    EXPECT_NO_THROW(EXPECT_EQ(io.WriteFile(buf, "loop/config", 0, 4), 0));
    std::string link = "loop/dev/rescan";
    testing::internal::CaptureStdout();
    EXPECT_NO_THROW(EXPECT_EQ(hwio_linux::RescanPCI(link), 1));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "rescan not exist, pcie module not loaded in root bus\n");
}

TEST(HwioLinux, MemoryAccessRefusesEmptyLengths) {
    hwio_linux io;
    unsigned char buf[1] = {0x5A};
    testing::internal::CaptureStdout();
    EXPECT_EQ(io.ReadMMIO(buf, 0x1000, 0), 0);
    EXPECT_EQ(io.WriteMMIO(buf, 0x1000, -4), 0);
    EXPECT_EQ(io.ReadPhysMem(nullptr, 0x1000, 4), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(buf[0], 0x5A);
}

TEST(HwioLinux, ReadDOEDoesNothing) {
    hwio_linux io;
    unsigned char buf[2] = {0xA5, 0x5A};
    EXPECT_EQ(io.ReadDOE(buf, 2), 1);
    EXPECT_EQ(buf[0], 0xA5);
    EXPECT_EQ(buf[1], 0x5A);
}

TEST(HwioLinux, RemoveOfAnUnresolvableDirectoryReportsIt) {
    tarvo::sim::ScopedWorkDir dir;
    std::string link = "unchanged";
    std::string pci = "no/such/dir/config";
    testing::internal::CaptureStdout();
    EXPECT_EQ(hwio_linux::RemovePCI(link, pci), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Canonical path for \"no/such/dir\" threw exception:\n", 0), 0u) << out;
    EXPECT_EQ(link, "unchanged");
}

TEST(HWIOCreator, MakesLinuxAccessUnlessATestInstallsAFactory) {
    auto plain = tarvo::core::HWIOCreator::create_hwio();
    EXPECT_NE(dynamic_cast<hwio_linux*>(plain.get()), nullptr);

    auto bus = std::make_shared<tarvo::sim::SimBus>();
    bus->add_function(tarvo::SBDF(0, 1, 0, 0)).set32(0, 0x0d938086);
    {
        tarvo::sim::ScopedHwioFactory guard(bus);
        auto a = tarvo::core::HWIOCreator::create_hwio();
        auto b = tarvo::core::HWIOCreator::create_hwio();
        EXPECT_EQ(guard.created(), 2u);
        // Both handles reach the one simulated function.
        unsigned char id[4] = {};
        ASSERT_EQ(a->ReadPCI(id, 0, 1, 0, 0, 0, 4), 1);
        EXPECT_EQ(id[0], 0x86);
        EXPECT_EQ(b->ReadPCI(id, 0, 1, 0, 0, 0, 4), 1);
        EXPECT_EQ(bus->log().size(), 2u);
    }
    auto after = tarvo::core::HWIOCreator::create_hwio();
    EXPECT_NE(dynamic_cast<hwio_linux*>(after.get()), nullptr);
}

}  // namespace
