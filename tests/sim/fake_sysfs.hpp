#pragma once

// A fake Linux device tree for running hwio_linux (or the whole tarvo
// program) against simulated functions, for real: configuration files under
// /sys/bus/pci/devices, ACPI tables under /sys/firmware/acpi/tables, a sparse
// file as /dev/mem and optionally a /dev/doe0.
//
// Mounting needs root and a private mount namespace, so that nothing is seen
// outside this process and its children:
//
//   class MyTest : public ::testing::Test {
//       void SetUp() override { TARVO_ENTER_MOUNT_NAMESPACE(); }
//   };
//   TEST_F(MyTest, Reads) {
//       sim::FakeSysfs fake;
//       fake.add_function(SBDF(0, 0x0d, 0, 0), space);
//       ASSERT_EQ(fake.mount(), "");
//       ... hwio_linux reads /sys/bus/pci/devices/0000:0d:00.0/config ...
//       auto r = sim::run_command({TARVO_BINARY, "devices"});  // same namespace
//   }
//
// The tree lives in a temporary directory until the FakeSysfs ends; the
// mounts end with it (and with the process in any case).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/sbdf.hpp"
#include "sim/sim_bus.hpp"

namespace tarvo {
namespace sim {

// True when the environment variable CI says the tests run in CI.
bool running_in_ci();

// Moves this process into a private mount namespace of its own. Returns the
// empty string on success, else why it was refused.
std::string enter_private_mount_namespace();

// For SetUp of a test fixture (or a test body): enters a private mount
// namespace, or ends the test: failed in CI, skipped with the reason
// elsewhere.
#define TARVO_ENTER_MOUNT_NAMESPACE()                                                    \
    do {                                                                                 \
        const std::string tarvo_ns_refused = ::tarvo::sim::enter_private_mount_namespace(); \
        if (!tarvo_ns_refused.empty()) {                                                 \
            if (::tarvo::sim::running_in_ci()) {                                         \
                FAIL() << "private mount namespace refused: " << tarvo_ns_refused;       \
            }                                                                            \
            GTEST_SKIP() << "private mount namespace refused (needs root): "             \
                         << tarvo_ns_refused;                                            \
        }                                                                                \
    } while (0)

struct CommandResult {
    int status;       // exit status; 128 + signal when killed; -1 when not run
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs argv[0] (searched in PATH) with its arguments in a child process, in
// the caller's mount namespace, feeding input to its standard input. The
// child is killed after timeout_seconds.
CommandResult run_command(const std::vector<std::string>& argv, const std::string& cwd = {},
                          const std::string& input = {}, int timeout_seconds = 120);

class FakeSysfs {
public:
    FakeSysfs();
    ~FakeSysfs();
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    // A function directory with "config" (the space's bytes, as long as the
    // space), "remove" and "rescan". With a parent (added before) the
    // directory nests inside the parent's, as sysfs places a function below
    // its bridge; without one it lies below "pci<seg>:<bus>", which has no
    // "rescan".
    void add_function(SBDF sbdf, const ConfigSpace& space, std::optional<SBDF> parent = {});
    // A directory with "config" listed in the folder of functions under any
    // name (one that names no function of segment 0, say).
    void add_entry(const std::string& name, const ConfigSpace& space);
    // An entry whose path cannot be resolved (a symbolic link to itself), as
    // an odd sysfs entry may be.
    void add_broken_entry(SBDF sbdf);
    void set_acpi_table(const std::string& signature, const std::vector<uint8_t>& data);
    // Size of the sparse file behind /dev/mem (4 GiB unless set); accesses
    // beyond it fault, so keep addresses below it.
    void set_memory_size(uint64_t bytes);
    void write_memory(uint64_t addr, const std::vector<uint8_t>& data);
    std::vector<uint8_t> read_memory(uint64_t addr, size_t len) const;
    // What stands at /dev/mem: the sparse file (unless set), nothing, or the
    // real /dev/null, a character device that refuses every mapping as a
    // kernel refuses the regions that a driver holds.
    enum class MemoryDevice { kFile, kAbsent, kRefusesMaps };
    void set_memory_device(MemoryDevice kind) { m_mem_device = kind; }
    // A regular file as /dev/doe0 (so its ioctl fails), or none.
    void set_doe_device(bool present) { m_doe_device = present; }

    // Mounts the tree over the system paths; the empty string on success,
    // else the reason (nothing stays mounted then).
    std::string mount();
    void unmount();

    // The current content of a function's configuration file, and the real
    // directory behind /sys/bus/pci/devices/<function>.
    std::vector<uint8_t> config(SBDF sbdf) const;
    std::string function_dir(SBDF sbdf) const;

    static std::string name_of(SBDF sbdf);  // "0000:0d:00.0"
    static std::string read_text(const std::string& path);

private:
    // Fills dir as a function's directory and lists it under name.
    void place(const std::string& dir, const std::string& name, const ConfigSpace& space);
    std::string bind(const std::string& source, const std::string& target);
    std::string prepare_target(const std::string& target, bool directory);
    std::string mount_dev();

    std::string m_root;
    uint64_t m_memory_size = uint64_t{4} << 30;
    MemoryDevice m_mem_device = MemoryDevice::kFile;
    bool m_doe_device = false;
    std::vector<std::string> m_mounts;  // targets, in mount order
    std::map<uint32_t, std::string> m_dirs;
};

// QEMU's CXL root port 0c:00.0 and, below it, its memory device 0d:00.0, as
// the configuration dumps of tests/fixtures/qemu hold them.
void add_qemu_port_and_device(FakeSysfs& fake);

}  // namespace sim
}  // namespace tarvo
