// Enumeration and the devices command against a fake sysfs tree holding the
// two functions QEMU emulates: the CXL root port 0c:00.0 (port DVSECs only)
// and the memory device 0d:00.0 behind it.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <cstdio>
#include <iostream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "core/cxl_device_pool.hpp"
#include "core/devices/device_enumerator.hpp"
#include "core/target_pool.hpp"
#include "sim/config_builder.hpp"
#include "sim/fake_sysfs.hpp"
#include "sim/work_dir.hpp"

namespace {

using tarvo::SBDF;
using namespace tarvo::sim;

const SBDF kPort(0, 0x0c, 0, 0);
const SBDF kDevice(0, 0x0d, 0, 0);
const SBDF kOdd(0, 0x21, 0, 0);

// The program's output without the one console record of the enumeration,
// which comes first; "<no record>" when it is not there exactly once.
std::string command_text(const std::string& out) {
    static const std::regex record(
        R"(^\[[0-9:]+\]\[[^\]]*INFO[^\]]*\]:\tCXL device found at: d:0\.0\n\n)");
    std::smatch match;
    if (!std::regex_search(out, match, record)) return "<no record>";
    const std::string rest = match.suffix();
    if (rest.find("CXL device found at") != std::string::npos) return "<no record>";
    return rest;
}

class DevicesNs : public ::testing::Test {
protected:
    void SetUp() override {
        TARVO_ENTER_MOUNT_NAMESPACE();
        fake = std::make_unique<FakeSysfs>();
        add_qemu_port_and_device(*fake);
        // A function whose vendor ID reads 0xFFFF, though it carries the DVSEC.
        fake->add_function(SBDF(0, 0x20, 0, 0), ConfigBuilder()
                                                    .ids(0xFFFF, 0xFFFF)
                                                    .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
                                                    .build());
        // One whose configuration file cannot even be examined (a symbolic
        // link to itself): the scan passes over it.
        fake->add_function(kOdd, ConfigBuilder().ids(0x8086, 0x0d93).build());
        const std::string odd = fake->function_dir(kOdd) + "/config";
        ASSERT_EQ(std::remove(odd.c_str()), 0);
        ASSERT_EQ(symlink(odd.c_str(), odd.c_str()), 0);
        ASSERT_EQ(fake->mount(), "");
    }

    // The program's output for one command line, run in a scratch directory
    // so that its log files land there.
    CommandResult tarvo(std::vector<std::string> args) {
        // The shipped catalogue, as the scratch directory has no ../etc.
        args.insert(args.begin(), {TARVO_BINARY, "--testcasefile",
                                   TARVO_SOURCE_DIR "/etc/testcases.json"});
        return run_command(args, work.path());
    }

    std::unique_ptr<FakeSysfs> fake;
    ScopedWorkDir work;
};

TEST_F(DevicesNs, OnlyTheMemoryDeviceIsKept) {
    tarvo::core::LinuxPCIEDeviceEnumerator enumerator;
    tarvo::CXLDevicePool devices(enumerator);
    tarvo::TargetPool targets(enumerator);
    ASSERT_EQ(devices.count(), 1);
    ASSERT_EQ(targets.count(), 1);
    ASSERT_TRUE(devices.sut());
    EXPECT_EQ(devices.sut()->GetSBDF(), kDevice.sbdf());
    EXPECT_EQ(targets.sut().sbdf().sbdf(), kDevice.sbdf());
    EXPECT_EQ(targets.sut().port_type(), PCIE_EP);
    const auto flags = std::cout.flags();
    testing::internal::CaptureStdout();
    devices.sut()->DisplayDVSECOffsets();
    std::cout.flags(flags);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DVSEC FOR CXL DEVICE Offset: 0x10c\n");
}

TEST_F(DevicesNs, ListAndShowTheDeviceUnderTest) {
    const CommandResult list = tarvo({"devices", "--list"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(command_text(list.out),
              "[d:0.0] Unknown vendor - CXL Device\n"
              "d:0.0  Current CXL Device\n\n");

    const CommandResult sut = tarvo({"devices", "--sut"});
    EXPECT_EQ(sut.status, 0) << sut.err;
    EXPECT_EQ(command_text(sut.out),
              "d:0.0 \tCurrent Target\n"
              "0\tPort Type\n"
              "\n\nPort Types as indicated: \n"
              "PCIE_EP = 0\nLEGACY_PCIE_EIP = 1\nRP = 4\nUP_SWITCH = 0x5\nDP_SWITCH = 0x6\n"
              "PCIE_PCI_BRIDGE = 0x7\nPCI_PCIE_BRIDGE = 0x8\nRCIEP = 9\nRCEC = 0xA\n");
}

TEST_F(DevicesNs, SelectAndHelp) {
    const CommandResult set = tarvo({"devices", "--set", "0d:00.0"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(command_text(set.out), "");

    // The root port is not a device that can be selected; the memory device
    // stays the device under test. The host is enumerated once.
    const CommandResult session =
        run_command({TARVO_BINARY}, work.path(), "devices --set 0c:00.0\ndevices --list\nexit\n");
    EXPECT_EQ(session.status, 0) << session.err;
    const size_t first = session.out.find("CXL device found at: d:0.0");
    ASSERT_NE(first, std::string::npos) << session.out;
    EXPECT_EQ(session.out.find("CXL device found at", first + 1), std::string::npos);
    EXPECT_NE(session.out.find(
                  "\x1b[31mNo CXL device at c:0.0; the device under test is unchanged.\x1b[0m\n"),
              std::string::npos)
        << session.out;
    EXPECT_NE(session.out.find("d:0.0  Current CXL Device\n"), std::string::npos) << session.out;

    const char help[] =
        "tarvo device [options]\nCheck current system under test.\n\tdevice --sut\n"
        "Set a device to be tested.\n\tdevice --set Bus:Dev.Fun\n\n";
    const CommandResult h = tarvo({"devices", "-h"});
    EXPECT_EQ(h.status, 0);
    EXPECT_EQ(h.out, help);
    const CommandResult none = tarvo({"devices"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out,
              std::string("The set of options provided with the command was not possible.\n"
                          "No action was able to be resolved.\n"
                          "Please refer to the user's guide if needed.\n\n") +
                  help);
    const CommandResult bad = tarvo({"devices", "--set", "3a:00.8"});
    EXPECT_EQ(bad.out, "SUT format not met. Please provide format SEG:BUS:DEV.FUN or BUS:DEV.FUN\n");
}

TEST_F(DevicesNs, NoCxlDeviceAtAll) {
    fake->unmount();
    fake = std::make_unique<FakeSysfs>();
    fake->add_function(SBDF(0, 0, 0x1f, 2), ConfigBuilder(256).ids(0x8086, 0x2922).build());
    ASSERT_EQ(fake->mount(), "");
    for (const char* option : {"--list", "--sut"}) {
        SCOPED_TRACE(option);
        const CommandResult r = tarvo({"devices", option});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "\x1b[31mNo CXL device was found.\x1b[0m\n");
    }
}

// The folder of functions lists the functions 00:01.0 and 3a:00.0 beside
// entries whose names are no function of segment 0 (another segment, a
// malformed name, a device or function number out of range, upper case),
// each holding a CXL function's configuration: only the two are read, listed
// and recorded, in address order. Without the folder nothing is found.
TEST(DevicesNsListing, OnlyTheSegmentZeroFunctionsListedAreRead) {
    TARVO_ENTER_MOUNT_NAMESPACE();
    FakeSysfs fake;
    const ConfigSpace cxl = ConfigBuilder()
                                .ids(0x8086, 0x0d93)
                                .pcie_cap(PCIE_EP)
                                .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
                                .build();
    fake.add_function(SBDF(0, 0x3a, 0, 0), cxl);
    fake.add_function(SBDF(0, 0, 1, 0), cxl);
    for (const char* name :
         {"pci_bus", "0001:00:02.0", "0000:3a:00", "0000:00:20.0", "0000:00:01.8", "0000:3A:00.1"}) {
        fake.add_entry(name, cxl);
    }
    ASSERT_EQ(fake.mount(), "");
    ScopedWorkDir work;
    const std::vector<std::string> list{TARVO_BINARY, "--testcasefile",
                                        TARVO_SOURCE_DIR "/etc/testcases.json", "devices",
                                        "--list"};
    const CommandResult found = run_command(list, work.path());
    EXPECT_EQ(found.status, 0) << found.err;
    const std::regex record(R"(\[[0-9:]+\]\[[^\]]*INFO[^\]]*\]:\t)");
    EXPECT_EQ(std::regex_replace(found.out, record, "<record>"),
              "<record>CXL device found at: 0:1.0\n\n"
              "<record>CXL device found at: 3a:0.0\n\n"
              "[0:1.0] Unknown vendor - CXL Device\n"
              "[3a:0.0] Unknown vendor - CXL Device\n"
              "0:1.0  Current CXL Device\n\n");

    ASSERT_EQ(mount("tmpfs", "/sys/bus/pci", "tmpfs", 0, nullptr), 0) << std::strerror(errno);
    const CommandResult none = run_command(list, work.path());
    umount2("/sys/bus/pci", MNT_DETACH);
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "\x1b[31mNo CXL device was found.\x1b[0m\n");
}

}  // namespace
