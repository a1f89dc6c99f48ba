#pragma once

// The simulated CXL test bed: PCI functions with 4 KiB configuration spaces,
// memory-mapped ranges, ACPI tables and files, seen by the system through
// SimHwio (sim_hwio.hpp), an ordinary core::hwio.
//
// One SimBus holds the device state; any number of SimHwio handles share it
// (std::shared_ptr<SimBus>), so code that makes its own hardware-access object
// through core::HWIOCreator reaches the same devices (ScopedHwioFactory).
//
//   auto bus = std::make_shared<sim::SimBus>();
//   bus->add_function(SBDF(0, 0x0d, 0, 0), sim::ConfigBuilder()
//                         .ids(0x8086, 0x0d93).pcie_cap(PCIE_EP)
//                         .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38).build());
//   sim::SimHwio io(bus);              // or sim::ScopedHwioFactory guard(bus);
//   ... run the code under test ...
//   EXPECT_EQ(bus->log().size(), 3u); // what the system did, in order
//
// Behaviour beyond plain registers (a DOE mailbox, resets, locks) is attached
// with hooks: on_config_read runs before a read's bytes are taken, so it can
// present fresh values; on_config_write runs after a write's bits took effect
// and sees the bytes written and the bytes before. on_mem_read/on_mem_write do
// the same for memory. Faults make chosen accesses fail as the hardware access
// would (0 or -1 to the caller, nothing transferred).

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/sbdf.hpp"
#include "sim/register_space.hpp"

namespace tarvo {
namespace sim {

// Configuration space of one function: 4096 bytes (or 256 for a function
// without extended configuration space), read-only until marked otherwise.
class ConfigSpace : public RegisterSpace {
public:
    static constexpr size_t kExtendedSize = 4096;
    static constexpr size_t kLegacySize = 256;
    explicit ConfigSpace(size_t size = kExtendedSize) : RegisterSpace(size, BitAttr::ro) {}
};

// One memory access as carried out: width bytes at offset from the range base.
struct MemAccess {
    uint64_t offset;
    int width;
    bool write;
};

// A memory-mapped range (registers or memory) at a physical address,
// read-write until marked otherwise. It records the width of every single
// access made to it, so tests can assert that registers were touched at
// their own width.
class MemRange : public RegisterSpace {
public:
    MemRange(uint64_t base, size_t size, BitAttr initial)
        : RegisterSpace(size, initial), m_base(base) {}
    uint64_t base() const { return m_base; }
    const std::vector<MemAccess>& accesses() const { return m_accesses; }
    void clear_accesses() { m_accesses.clear(); }
    void record(const MemAccess& access) { m_accesses.push_back(access); }

private:
    uint64_t m_base;
    std::vector<MemAccess> m_accesses;
};

enum class AccessKind {
    config_read,
    config_write,
    mmio_read,
    mmio_write,
    phys_read,
    phys_write,
    acpi_read,
    file_read,
    doe_read,
    doe_write,
};
const char* to_string(AccessKind kind);

// One entry of the access log: one byte-level call of the hardware access
// (a register-level access shows as its byte-level reads and writes).
struct Access {
    AccessKind kind;
    SBDF sbdf;          // configuration accesses
    uint64_t address;   // configuration offset or physical address
    int len;
    uint64_t value;     // the first (up to 8) bytes moved, little-endian
    bool ok;            // false when the access failed
    std::string name;   // ACPI signature or file name
};

class SimBus;

struct ConfigEvent {
    SimBus& bus;
    SBDF sbdf;
    ConfigSpace& space;
    uint32_t offset;
    uint32_t len;
    const uint8_t* data;    // bytes written; nullptr for a read
    const uint8_t* before;  // bytes before a write; nullptr for a read
};
using ConfigHook = std::function<void(const ConfigEvent&)>;

struct MemEvent {
    SimBus& bus;
    MemRange& range;
    uint64_t addr;
    uint32_t len;
    const uint8_t* data;    // bytes written; nullptr for a read
    const uint8_t* before;  // bytes before a write; nullptr for a read
};
using MemHook = std::function<void(const MemEvent&)>;

using HookId = int;

class SimBus {
public:
    // Functions. add_function replaces a function already at sbdf; references
    // stay valid until the function is replaced.
    ConfigSpace& add_function(SBDF sbdf, ConfigSpace space = ConfigSpace());
    ConfigSpace& config(SBDF sbdf);  // std::out_of_range when absent
    std::vector<SBDF> functions() const;  // ascending by address

    // Memory ranges; overlapping ranges raise std::invalid_argument. An
    // access must lie wholly inside one range, else it fails.
    MemRange& add_memory(uint64_t base, size_t size, BitAttr initial = BitAttr::rw);
    MemRange* find_memory(uint64_t addr, uint64_t len);

    // ACPI tables by signature and plain files by name; a read longer than
    // the data fails.
    void set_acpi_table(const std::string& signature, std::vector<uint8_t> data);
    void set_file(const std::string& name, std::vector<uint8_t> data);

    // The DOE character device: absent unless set (as on a host without its
    // driver), when WriteDOE fails.
    void set_doe_device(bool present) { m_doe_device = present; }

    // Hooks on accesses overlapping [begin, end) of one function's
    // configuration space, or of physical addresses.
    HookId on_config_read(SBDF sbdf, uint32_t begin, uint32_t end, ConfigHook hook);
    HookId on_config_write(SBDF sbdf, uint32_t begin, uint32_t end, ConfigHook hook);
    HookId on_mem_read(uint64_t begin, uint64_t end, MemHook hook);
    HookId on_mem_write(uint64_t begin, uint64_t end, MemHook hook);
    void remove_hook(HookId id);

    // Faults. fail_at: every access of kind that covers address (a
    // configuration offset, of sbdf if given, or a physical address) fails.
    // fail_after: n more accesses of kind succeed, all later ones fail.
    void fail_at(AccessKind kind, uint64_t address, std::optional<SBDF> sbdf = std::nullopt);
    void fail_after(AccessKind kind, unsigned n);
    void clear_faults();

    const std::vector<Access>& log() const { return m_log; }
    std::vector<Access> log_of(AccessKind kind) const;
    void clear_log() { m_log.clear(); }

    // The accesses SimHwio carries out. Byte-level results: true on success.
    bool config_read(SBDF sbdf, int offset, uint8_t* buf, int len);
    bool config_write(SBDF sbdf, int offset, const uint8_t* buf, int len);
    bool mem_read(AccessKind kind, uint64_t addr, uint8_t* buf, int len);
    bool mem_write(AccessKind kind, uint64_t addr, const uint8_t* buf, int len);
    bool acpi_read(const std::string& signature, uint8_t* buf, int len);
    bool file_read(const std::string& name, int offset, uint8_t* buf, int len);
    bool doe_read(uint8_t* buf, int len);
    bool doe_write(uint8_t* buf, int len);

private:
    struct ConfigHookEntry {
        HookId id;
        SBDF sbdf;
        uint32_t begin, end;
        bool write;
        ConfigHook hook;
    };
    struct MemHookEntry {
        HookId id;
        uint64_t begin, end;
        bool write;
        MemHook hook;
    };
    struct FaultAt {
        AccessKind kind;
        uint64_t address;
        std::optional<SBDF> sbdf;
    };

    // The space or range an access may go to, or nullptr after logging why
    // it fails (bad arguments, nothing there, a fault).
    ConfigSpace* admit_config(AccessKind kind, SBDF sbdf, int offset, const uint8_t* buf, int len);
    MemRange* admit_mem(AccessKind kind, uint64_t addr, const uint8_t* buf, int len);
    // Counts the access and says whether a fault makes it fail.
    bool faulted(AccessKind kind, SBDF sbdf, uint64_t address, uint64_t len);
    void log_access(AccessKind kind, SBDF sbdf, uint64_t address, int len, const uint8_t* data,
                    bool ok, std::string name = {});
    void run_config_hooks(bool write, const ConfigEvent& event);
    void run_mem_hooks(bool write, const MemEvent& event);
    bool read_blob(AccessKind kind, const std::map<std::string, std::vector<uint8_t>>& blobs,
                   const std::string& name, int offset, uint8_t* buf, int len);

    std::map<uint32_t, ConfigSpace> m_functions;
    std::map<uint64_t, MemRange> m_memory;
    std::map<std::string, std::vector<uint8_t>> m_acpi;
    std::map<std::string, std::vector<uint8_t>> m_files;
    bool m_doe_device = false;
    std::vector<ConfigHookEntry> m_config_hooks;
    std::vector<MemHookEntry> m_mem_hooks;
    HookId m_next_hook = 1;
    std::vector<FaultAt> m_faults_at;
    std::map<AccessKind, unsigned> m_fail_after;
    std::vector<Access> m_log;
};

}  // namespace sim
}  // namespace tarvo
