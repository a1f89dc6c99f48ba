// What a user who is not root sees. The kernel shows such a reader only the
// first 64 bytes of a function's configuration space, though the file keeps
// its full size, and lets only root open it for writing. The program runs as
// user 65534 against a fake sysfs tree, whose files the preloaded
// hidden_config shim reads as the kernel does, and says once why it sees no
// CXL device.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/config_builder.hpp"
#include "sim/fake_sysfs.hpp"

namespace {

namespace fs = std::filesystem;
using tarvo::SBDF;
using namespace tarvo::sim;

const SBDF kPort(0, 0x0c, 0, 0);
const SBDF kDevice(0, 0x0d, 0, 0);
const SBDF kLegacy(0, 0x00, 0x1f, 2);  // 256 bytes of configuration space

std::string kept_line(const std::string& function) {
    return "\x1b[31mThe kernel shows the configuration space of " + function +
           " beyond its first 64 bytes only to root, and lets only root write it: run tarvo as"
           " root (with sudo).\x1b[0m\n";
}
const std::string kKeptStart = "The kernel shows the configuration space of ";

size_t count_of(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

void open_to_all(const fs::path& path, fs::perms perms) {
    if (chmod(path.c_str(), static_cast<mode_t>(perms)) != 0) {
        throw std::runtime_error("chmod " + path.string() + ": " + std::strerror(errno));
    }
}

// The program, its libraries, its catalogue and the shim, copied where user
// 65534 may read them (the build tree may lie below a folder only root can
// enter), and a working directory that user may write.
class ProgramCopy {
public:
    ProgramCopy() {
        char pattern[] = "/tmp/tarvo-unprivileged-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
        }
        m_root = pattern;
        open_to_all(m_root, fs::perms(0755));
        const fs::path build = fs::path(TARVO_BINARY).parent_path().parent_path();
        fs::create_directories(m_root / "bin");
        fs::create_directories(m_root / "lib");
        fs::create_directories(m_root / "etc");
        fs::create_directories(work());
        open_to_all(work(), fs::perms(01777));
        fs::copy_file(TARVO_BINARY, program());
        for (const auto& entry : fs::directory_iterator(build / "lib")) {
            if (entry.path().filename().string().find(".so") != std::string::npos) {
                fs::copy(entry.path(), m_root / "lib" / entry.path().filename(),
                         fs::copy_options::copy_symlinks);
            }
        }
        fs::copy_file(TARVO_SOURCE_DIR "/etc/testcases.json", catalogue());
        fs::copy_file(TARVO_HIDDEN_CONFIG_SHIM, shim());
    }
    ~ProgramCopy() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    std::string program() const { return (m_root / "bin" / "tarvo").string(); }
    std::string catalogue() const { return (m_root / "etc" / "testcases.json").string(); }
    std::string shim() const { return (m_root / "hidden_config.so").string(); }
    std::string work() const { return (m_root / "work").string(); }

private:
    fs::path m_root;
};

class UnprivilegedNs : public ::testing::Test {
protected:
    void SetUp() override {
        TARVO_ENTER_MOUNT_NAMESPACE();
        fake = std::make_unique<FakeSysfs>();
        add_qemu_port_and_device(*fake);
        fake->add_function(kLegacy, ConfigBuilder(256).ids(0x8086, 0x2922).build());
        ASSERT_EQ(fake->mount(), "");
        copy = std::make_unique<ProgramCopy>();
    }

    // One-shot tarvo ARGS as user 65534 (or as root), the configuration
    // files of the hidden functions shown as the kernel shows them to a
    // user who is not root.
    CommandResult tarvo(const std::vector<std::string>& args, const std::vector<SBDF>& hidden,
                        bool as_root = false) {
        std::string files;
        for (const SBDF& f : hidden) {
            if (!files.empty()) files += ' ';
            files += "/sys/bus/pci/devices/" + FakeSysfs::name_of(f) + "/config";
        }
        // A sanitized program would refuse a library preloaded before its
        // runtime.
        const char* asan = std::getenv("ASAN_OPTIONS");
        std::vector<std::string> argv = {
            "env", "LD_PRELOAD=" + copy->shim(), "TARVO_HIDDEN_CONFIG=" + files,
            "ASAN_OPTIONS=" + std::string(asan != nullptr ? asan : "") +
                ":verify_asan_link_order=0"};
        if (!as_root) argv.push_back(TARVO_AS_NOBODY);
        argv.push_back(copy->program());
        argv.push_back("--testcasefile");
        argv.push_back(copy->catalogue());
        argv.insert(argv.end(), args.begin(), args.end());
        return run_command(argv, copy->work());
    }

    std::unique_ptr<FakeSysfs> fake;
    std::unique_ptr<ProgramCopy> copy;
};

// The scan reads the 256-byte function at 00:1f.2 first: its file ends at
// 0x100, so it is not the one named; the root port 0c:00.0 is.
TEST_F(UnprivilegedNs, HiddenConfigurationSpaceIsExplainedOnceBeforeTheNoDeviceLine) {
    struct Case {
        std::vector<std::string> args;
        std::string no_device;
    };
    const Case cases[] = {
        {{"devices", "--list"}, "No CXL device was found."},
        {{"run", "-t", "2/CFG/1"}, "No CXL device under test was found; no test case was run."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        const CommandResult r = tarvo(c.args, {kLegacy, kPort, kDevice});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(count_of(r.out, kKeptStart), 1u) << r.out;
        const size_t told = r.out.find(kept_line("0000:0c:00.0"));
        const size_t none = r.out.find("\x1b[31m" + c.no_device + "\x1b[0m\n");
        ASSERT_NE(told, std::string::npos) << r.out;
        ASSERT_NE(none, std::string::npos) << r.out;
        EXPECT_LT(told, none) << r.out;
    }
}

// Root reads every byte, and a user who is not root reads a file that ends
// where the read goes past it (a 256-byte space read at 0x100) as it is:
// neither is told anything.
TEST_F(UnprivilegedNs, NothingIsToldWhereTheWholeFileIsShown) {
    const CommandResult root = tarvo({"devices", "--list"}, {kLegacy, kPort, kDevice}, true);
    EXPECT_EQ(root.status, 0) << root.err;
    EXPECT_NE(root.out.find("[d:0.0] Unknown vendor - CXL Device\n"), std::string::npos)
        << root.out;
    EXPECT_EQ(count_of(root.out, kKeptStart), 0u) << root.out;

    const CommandResult user = tarvo({"devices", "--list"}, {});
    EXPECT_EQ(user.status, 0) << user.err;
    EXPECT_NE(user.out.find("[d:0.0] Unknown vendor - CXL Device\n"), std::string::npos)
        << user.out;
    EXPECT_EQ(count_of(user.out, kKeptStart), 0u) << user.out;
}

// The configuration files are root's to write: the lock test's first write
// is refused, and that is told once, naming the device under test.
TEST_F(UnprivilegedNs, RefusedConfigurationWriteIsExplainedOnce) {
    const std::vector<uint8_t> before = fake->config(kDevice);
    const CommandResult r = tarvo({"run", "-t", "2/CFG/7"}, {});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(count_of(r.out, kKeptStart), 1u) << r.out;
    EXPECT_NE(r.out.find(kept_line("0000:0d:00.0")), std::string::npos) << r.out;
    EXPECT_EQ(fake->config(kDevice), before);
}

}  // namespace
