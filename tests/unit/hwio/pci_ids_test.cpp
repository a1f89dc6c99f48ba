#include <gtest/gtest.h>

#include <fstream>

#include "core/pci_ids/pci_ids.hpp"
#include "sim/work_dir.hpp"

namespace {

using Map = std::unordered_map<unsigned int, std::string>;

TEST(FillIDs, ReadsVendorAndDeviceLinesOfThePciIdsLayout) {
    tarvo::sim::ScopedWorkDir dir;
    std::ofstream("pci_ids.txt")
        << "# comment 1234  not a vendor\n"
           "abcd  Vendor A\n"
           "\t0001  Device of A\n"
           "\t\t1111 2222  Subsystem, skipped\n"
           "8086  Intel Corporation\r\n"
           "\t0001  Device of Intel\n"
           "\n"
           "C 05  Memory controller\n"
           "\t02  CXL\n";
    Map vendors, devices;
    ASSERT_EQ(Fill_IDs(vendors, devices), 0);

    // Names keep the blanks between ID and name; the empty line is vendor 0.
    EXPECT_EQ(vendors, (Map{{0xABCD, "  Vendor A"}, {0x8086, "  Intel Corporation"}, {0, ""}}));
    // Device IDs are not qualified by vendor: the later 0001 wins; class
    // subclass lines read as devices.
    EXPECT_EQ(devices, (Map{{0x0001, "  Device of Intel"}, {0x02, "  CXL"}}));
}

TEST(FillIDs, OddWordsAndAMissingFile) {
    tarvo::sim::ScopedWorkDir dir;
    Map vendors{{7, "kept"}}, devices;
    EXPECT_EQ(Fill_IDs(vendors, devices), 1);
    EXPECT_EQ(vendors, (Map{{7, "kept"}}));

    std::ofstream("pci_ids.txt") << "zz  Not hex\n\t12g4 tail\n\t\n";
    ASSERT_EQ(Fill_IDs(vendors, devices), 0);
    EXPECT_EQ(vendors.at(0), "  Not hex");
    // strtoul takes the hexadecimal prefix; a bare TAB is device 0, no name.
    EXPECT_EQ(devices, (Map{{0x12, " tail"}, {0, ""}}));
}

}  // namespace
