// The Linux hardware access against a fake device tree, mounted over the
// system paths in a private mount namespace.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <iostream>
#include <memory>

#include "core/io/hwio/hwio_linux.hpp"
#include "sim/config_builder.hpp"
#include "sim/fake_sysfs.hpp"

namespace {

using tarvo::SBDF;
using tarvo::core::hwio_linux;
using tarvo::core::Register;
using namespace tarvo::sim;

const SBDF kPort(0, 0x0c, 0, 0);
const SBDF kDevice(0, 0x0d, 0, 0);
const SBDF kLegacy(0, 0x00, 0x1f, 2);

class HwioLinuxNs : public ::testing::Test {
protected:
    void SetUp() override {
        TARVO_ENTER_MOUNT_NAMESPACE();
        fake = std::make_unique<FakeSysfs>();
        add_qemu_port_and_device(*fake);
        fake->add_function(kLegacy, ConfigBuilder(256).ids(0x8086, 0x2922).build());
    }
    void mount() { ASSERT_EQ(fake->mount(), ""); }

    std::unique_ptr<FakeSysfs> fake;
    hwio_linux io;
};

Register make_register(uint64_t offset, uint64_t width) {
    Register reg("Test", "", "", offset, width);
    reg.fields.emplace_back("All", "", 0, width, 0);
    return reg;
}

uint64_t value(const Register& reg) {
    uint64_t v = 0;
    EXPECT_EQ(reg.GetValuebyFieldName("All", v), 0);
    return v;
}

TEST_F(HwioLinuxNs, ConfigurationSpaceThroughSysfs) {
    mount();
    unsigned char id[4] = {};
    ASSERT_EQ(io.ReadPCI(id, 0, 0x0d, 0, 0, 0, 4), 1);
    EXPECT_EQ(std::vector<unsigned char>(id, id + 4), (std::vector<unsigned char>{0x86, 0x80, 0x93, 0x0d}));

    Register status = make_register(0x06, 16);  // the dword at 0x04 is 03 01 10 00
    ASSERT_EQ(io.ReadPCI(kDevice, 0, status), 0);
    EXPECT_EQ(value(status), 0x0010u);
    Register link = make_register(0x12, 16);  // Link Status of the capability at 0x48
    ASSERT_EQ(io.ReadPCI(kPort, 0x48, link), 0);
    EXPECT_EQ(value(link), 0x2011u);

    // An 8-bit register write changes its own byte only.
    const std::vector<uint8_t> before = fake->config(kDevice);
    Register latency = make_register(0x0D, 8);
    latency.SetValue(0x5C);
    ASSERT_EQ(io.WritePCI(kDevice, 0, latency), 0);
    std::vector<uint8_t> after = fake->config(kDevice);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[0x0D], 0x5C);
    after[0x0D] = before[0x0D];
    EXPECT_EQ(after, before);

    unsigned char two[2] = {0xAB, 0xCD};
    ASSERT_EQ(io.WritePCI(two, 0, 0x0d, 0, 0, 0x200, 2), 1);
    EXPECT_EQ(fake->config(kDevice)[0x201], 0xCD);
}

// An object keeps the folder of functions open, not a listing of it: a
// function that appears later is read, one that goes is absent.
TEST_F(HwioLinuxNs, OneObjectFollowsTheFunctionsPresent) {
    mount();
    unsigned char id[4] = {};
    const SBDF later(0, 0x3a, 0, 1);
    EXPECT_EQ(io.ReadPCI(id, 0, 0x3a, 0, 1, 0, 4), 0);
    fake->add_function(later, ConfigBuilder(256).ids(0x1e98, 0x1234).build());
    ASSERT_EQ(io.ReadPCI(id, 0, 0x3a, 0, 1, 0, 4), 1);
    EXPECT_EQ(std::vector<unsigned char>(id, id + 4),
              (std::vector<unsigned char>{0x98, 0x1e, 0x34, 0x12}));
    unsigned char one = 0x77;
    ASSERT_EQ(io.WritePCI(&one, 0, 0x3a, 0, 1, 0x40, 1), 1);
    EXPECT_EQ(fake->config(later)[0x40], 0x77);

    fake->add_broken_entry(later);
    EXPECT_EQ(io.ReadPCI(id, 0, 0x3a, 0, 1, 0, 4), 0);
    // The folder itself, and paths outside it, keep their plain meaning.
    EXPECT_EQ(io.ReadFile(id, "/sys/bus/pci/devices/", 0, 4), 0);
    EXPECT_EQ(io.ReadFile(id, "/sys/bus/pci/devices//", 0, 4), 0);
    EXPECT_EQ(io.ReadFile(id, "/sys/bus/pci/devices//" + fake->function_dir(kDevice) + "/config",
                          0, 4),
              0);  // a doubled slash does not leave the folder
    ASSERT_EQ(io.ReadFile(id, "/sys/bus/pci/devices//0000:0d:00.0/config", 0, 4), 1);
    // ".." leaves the device's real directory, as the kernel resolves it,
    // into the port above it.
    ASSERT_EQ(io.ReadFile(id, "/sys/bus/pci/devices/0000:0d:00.0/../config", 0, 4), 1);
    EXPECT_EQ(std::vector<unsigned char>(id, id + 4),
              (std::vector<unsigned char>{0x86, 0x80, 0x75, 0x70}));
    EXPECT_EQ(io.ReadFile(id, fake->function_dir(kDevice) + "/config", 0, 4), 1);
    EXPECT_EQ(id[0], 0x86);
}

TEST_F(HwioLinuxNs, MissingFunctionsShortFilesAndOddEntries) {
    fake->add_broken_entry(SBDF(0, 0x0e, 0, 0));
    mount();
    unsigned char buf[4] = {};
    Register reg = make_register(0, 32);
    EXPECT_EQ(io.ReadPCI(buf, 0, 0x0f, 0, 0, 0, 4), 0);
    EXPECT_EQ(io.ReadPCI(SBDF(0, 0x0f, 0, 0), 0, reg), -1);
    EXPECT_EQ(io.WritePCI(SBDF(0, 0x0f, 0, 0), 0, reg), -1);
    // No extended configuration space behind a 256-byte file.
    EXPECT_EQ(io.ReadPCI(buf, 0, 0, 0x1f, 2, 0x100, 4), 0);
    EXPECT_EQ(io.ReadPCI(buf, 0, 0, 0x1f, 2, 0xFC, 4), 1);
    // An entry whose path cannot be resolved counts as absent.
    EXPECT_NO_THROW(EXPECT_EQ(io.ReadPCI(buf, 0, 0x0e, 0, 0, 0, 4), 0));
}

TEST_F(HwioLinuxNs, MemoryThroughDevMem) {
    std::vector<uint8_t> pattern(32);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(0xA0 + i);
    fake->write_memory(0x1FF0, pattern);  // straddles the page boundary at 0x2000
    mount();

    unsigned char buf[8] = {};
    ASSERT_EQ(io.ReadMMIO(buf, 0x1FF8, 4), 1);  // within one page
    EXPECT_EQ(buf[0], 0xA8);
    ASSERT_EQ(io.ReadMMIO(buf, 0x1FFE, 4), 1);  // across two pages
    EXPECT_EQ(std::vector<unsigned char>(buf, buf + 4), (std::vector<unsigned char>{0xAE, 0xAF, 0xB0, 0xB1}));
    unsigned char phys[4] = {};
    ASSERT_EQ(io.ReadPhysMem(phys, 0x1FFE, 4), 1);
    EXPECT_EQ(std::vector<unsigned char>(phys, phys + 4), std::vector<unsigned char>(buf, buf + 4));

    unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(io.WriteMMIO(eight, 0xFE600000, 8), 1);
    ASSERT_EQ(io.WritePhysMem(eight, 0xFE600011, 3), 1);
    EXPECT_EQ(fake->read_memory(0xFE600000, 8), std::vector<uint8_t>(eight, eight + 8));
    EXPECT_EQ(fake->read_memory(0xFE600010, 5), (std::vector<uint8_t>{0, 1, 2, 3, 0}));
}

// What body printed on standard output and how many of its accesses
// succeeded, run in a child process: the explanation of a refused /dev/mem is
// printed once per process, so each case needs a process of its own.
struct ChildRun {
    std::string out;
    int succeeded;
};
ChildRun in_child(const std::function<int()>& body) {
    int fds[2];
    if (pipe(fds) != 0) {
        ADD_FAILURE() << "pipe";
        return {"", -1};
    }
    std::cout.flush();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        const int succeeded = body();
        std::cout.flush();
        _exit(succeeded);
    }
    close(fds[1]);
    std::string out;
    char chunk[512];
    ssize_t n;
    while ((n = read(fds[0], chunk, sizeof(chunk))) > 0) out.append(chunk, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::string explanation(const std::string& address, const std::string& reason) {
    return "\x1b[31m/dev/mem refused physical address " + address + ": " + reason +
           ". The device may be sound: the host keeps /dev/mem from all but root, and from the"
           " registers that a kernel driver holds unless booted with iomem=relaxed. Run as root,"
           " and boot with the kernel argument iomem=relaxed or unbind the device's driver (such"
           " as cxl_pci) for the run.\x1b[0m\n";
}

// A /dev/mem that cannot be opened, or one that refuses the mapping as a
// kernel does for the registers a driver holds: each read prints the fixed
// line, and the first refusal of the process, read or write, also says which
// address was refused, why, and what to do.
TEST_F(HwioLinuxNs, RefusedDevMemIsExplainedOncePerProcess) {
    using Kind = tarvo::sim::FakeSysfs::MemoryDevice;
    const std::string fixed = "ReadMMIO mmap failed\n";
    const struct {
        Kind kind;
        const char* reason;
    } cases[] = {
        {Kind::kAbsent, "No such file or directory"},
        {Kind::kRefusesMaps, "No such device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        fake->unmount();
        fake->set_memory_device(c.kind);
        mount();
        unsigned char buf[8] = {};
        const ChildRun reads = in_child([&] {
            return io.ReadMMIO(buf, 0xFE801000, 4) + io.WriteMMIO(buf, 0xFE801004, 4) +
                   io.ReadMMIO(buf, 0xFEA00010, 8);
        });
        EXPECT_EQ(reads.succeeded, 0);
        EXPECT_EQ(reads.out,
                  fixed + explanation("0x00000000fe801000", c.reason) + fixed);
        const ChildRun write_first = in_child([&] {
            return io.WritePhysMem(buf, 0x2000, 8) + io.ReadPhysMem(buf, 0x2000, 8);
        });
        EXPECT_EQ(write_first.succeeded, 0);
        EXPECT_EQ(write_first.out, explanation("0x0000000000002000", c.reason) + fixed);
    }
}

TEST_F(HwioLinuxNs, AcpiTablesBySignature) {
    std::vector<uint8_t> cedt(68, 0x11);
    cedt[0] = 'C';
    fake->set_acpi_table("CEDT", cedt);
    mount();
    unsigned char buf[80] = {};
    char cedt_id[] = "CEDT";
    char srat_id[] = "SRAT";
    ASSERT_EQ(io.ReadACPI(buf, cedt_id, 68), 1);
    EXPECT_EQ(buf[0], 'C');
    EXPECT_EQ(buf[67], 0x11);
    EXPECT_EQ(io.ReadACPI(buf, cedt_id, 69), 0);
    EXPECT_EQ(io.ReadACPI(buf, srat_id, 4), 0);
}

TEST_F(HwioLinuxNs, DoeDeviceMissingOrRefusingTheRequest) {
    mount();
    unsigned char buf[8] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(io.WriteDOE(buf, 8), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "/dev/doe0 does not exist.\n");

    fake->unmount();
    fake->set_doe_device(true);
    mount();
    testing::internal::CaptureStdout();
    EXPECT_EQ(io.WriteDOE(buf, 8), 0);  // a plain file: the ioctl fails
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(HwioLinuxNs, RemoveAndRescan) {
    mount();
    std::string link;
    std::string pci = hwio_linux::pci_filename(0, 0x0d, 0, 0);
    ASSERT_EQ(hwio_linux::RemovePCI(link, pci), 0);
    EXPECT_EQ(link, fake->function_dir(kDevice));
    EXPECT_EQ(FakeSysfs::read_text(link + "/remove"), "1");
    ASSERT_EQ(hwio_linux::RescanPCI(link), 0);
    EXPECT_EQ(FakeSysfs::read_text(fake->function_dir(kPort) + "/rescan"), "1");

    // A function on the root bus has no parent to rescan.
    std::string root_link;
    std::string root_pci = hwio_linux::pci_filename(0, 0x0c, 0, 0);
    ASSERT_EQ(hwio_linux::RemovePCI(root_link, root_pci), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(hwio_linux::RescanPCI(root_link), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "rescan not exist, pcie module not loaded in root bus\n");

    // An unwritable trigger file is a failure.
    std::string gone = fake->function_dir(kLegacy);
    ASSERT_EQ(std::remove((gone + "/remove").c_str()), 0);
    std::string legacy_pci = hwio_linux::pci_filename(0, 0, 0x1f, 2);
    EXPECT_EQ(hwio_linux::RemovePCI(link, legacy_pci), 1);
}

TEST_F(HwioLinuxNs, ChildProcessesSeeTheSameTree) {
    mount();
    const CommandResult od = run_command(
        {"sh", "-c", "od -An -tx1 -N4 /sys/bus/pci/devices/0000:0d:00.0/config"});
    EXPECT_EQ(od.status, 0) << od.err;
    EXPECT_EQ(od.out, " 86 80 93 0d\n");
    const CommandResult cat = run_command({"cat"}, "/", "fed through stdin");
    EXPECT_EQ(cat.out, "fed through stdin");
    EXPECT_EQ(run_command({TARVO_BINARY, "--version"}).status, 0);
    EXPECT_EQ(run_command({"/no/such/program"}).status, 127);
}

}  // namespace
