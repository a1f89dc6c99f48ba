#pragma once

// Memory-mapped CXL register blocks for the simulated bus: component register
// blocks (the CXL.cache/mem capability array) and memory-device register
// blocks (the Device Capabilities Array), the Register Locator DVSEC that
// points at them, and a loader for dumps in the layout of
// fixtures/qemu/bar-registers.txt.
//
// A block answers each access the way the device it models does, by the
// access's width: CXL.cache/mem registers only to 4-byte accesses, 64-bit
// memory-device registers rightly only to 8-byte ones. The width each access
// gets is the one core::split_mmio_access gives, as on the real host, so code
// that reads a register at another width than its own sees a wrong value.
//
//   sim::ConfigBuilder b;
//   b.bar(0, 0xfe600000, 0x10000, true);
//   sim::register_locator(b, {{0, RBI_COMPONENT_REGISTER, 0}});
//   bus->add_function(fn, b.build());
//   sim::RegisterBlock comp = sim::add_component_block(*bus, 0xfe600000,
//       {{CXL_RAS_CAPABILITY, 2, 0x80}, {CXL_HDM_DECODER_CAPABILITY, 1, 0x110}});
//   comp.registers().set32(0x1110, 0x310);   // HDM Decoder Capability

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/sbdf.hpp"
#include "sim/config_builder.hpp"
#include "sim/register_space.hpp"
#include "sim/sim_bus.hpp"

namespace tarvo {
namespace sim {

// How the registers at some offset answer an access of a given width.
enum class WidthRule {
    dword,           // 4-byte accesses only; other widths read 0 and their writes are dropped
    dword_qword,     // 4- and 8-byte accesses; 1- and 2-byte reads give 0, writes dropped
    qword_register,  // one 64-bit register per 8 bytes: an access of any width inside it reads
                     // its low bytes, and only an 8-byte write reaches it
};

// A block of registers at a physical address. The handle is cheap to copy;
// the block lives as long as its bus.
class RegisterBlock {
public:
    RegisterBlock(SimBus& bus, uint64_t base, size_t size, WidthRule rule);

    uint64_t base() const;
    size_t size() const;
    void set_rule(size_t offset, size_t len, WidthRule rule);
    // The registers' own contents and write attributes (read-only unless
    // marked): what an access of the right width reads and changes.
    RegisterSpace& registers();
    // The bus's range of the block, with the width of every access made.
    MemRange& range() { return *m_range; }

private:
    struct State;
    std::shared_ptr<State> m_state;
    MemRange* m_range;
};

// Component register blocks are 64 KiB; the CXL.cache/mem registers begin
// 4 KiB in.
constexpr size_t kComponentBlockSize = 0x10000;
constexpr size_t kCacheMemOffset = 0x1000;

// One header of the CXL.cache/mem capability array; pointer is the offset of
// the capability's structure from the CXL.cache/mem base.
struct CacheMemCapability {
    uint16_t id;
    uint8_t version;
    uint16_t pointer;
};

// A component register block: the CXL Capability Header (ID 1, version 1,
// CXL.cache/mem version 1, Array_Size the number of caps) and one header per
// capability, in order. Every register answers 4-byte accesses only.
RegisterBlock add_component_block(SimBus& bus, uint64_t base,
                                  const std::vector<CacheMemCapability>& caps);

// One header of the Device Capabilities Array; offset and length place the
// capability's registers in the block.
struct DeviceCapability {
    uint16_t id;
    uint8_t version;
    uint32_t offset;
    uint32_t length;
};

// A memory-device register block of size bytes: the Device Capabilities
// Array register (ID 0, version 1, Capabilities_Count the number of caps) and
// one 16-byte header per capability. 4- and 8-byte accesses reach it; the
// Memory Device Status register (capability 0x4000) is a 64-bit register.
RegisterBlock add_memory_device_block(SimBus& bus, uint64_t base, size_t size,
                                      const std::vector<DeviceCapability>& caps);

// One entry of a Register Locator DVSEC; offset is from the BAR and a
// multiple of 64 KiB.
struct RegisterBlockEntry {
    uint8_t bir;
    uint8_t rbi;
    uint64_t offset;
};

// Places a Register Locator DVSEC (revision 0) with these entries.
ConfigBuilder& register_locator(ConfigBuilder& b, const std::vector<RegisterBlockEntry>& entries);

// The register blocks of a dump in the layout of bar-registers.txt: for each
// function, each block with its BAR mapping and the dwords dumped (dumped
// with 4-byte loads; dwords left out are 0). Component blocks (identifier 1)
// answer as add_component_block's, memory-device blocks (identifier 3) as
// add_memory_device_block's. A line that cannot be read raises
// std::runtime_error naming its number.
struct DumpedBlock {
    SBDF sbdf;
    uint8_t rbi;
    RegisterBlock block;
};
std::vector<DumpedBlock> load_bar_registers(SimBus& bus, const std::string& path);

}  // namespace sim
}  // namespace tarvo
