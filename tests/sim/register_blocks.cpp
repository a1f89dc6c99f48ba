#include "sim/register_blocks.hpp"

#include <algorithm>
#include <fstream>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "common/cxl_types.hpp"
#include "core/io/hwio/hwio.hpp"

namespace tarvo {
namespace sim {

struct RegisterBlock::State {
    State(uint64_t base, size_t size, WidthRule rule)
        : base(base), registers(size, BitAttr::ro), rules(size, rule) {}
    uint64_t base;
    RegisterSpace registers;
    std::vector<WidthRule> rules;  // one per byte

    bool reaches(size_t offset, int width) const {
        switch (rules[offset]) {
            case WidthRule::dword: return width == 4;
            case WidthRule::dword_qword: return width == 4 || width == 8;
            case WidthRule::qword_register: return width == 8 && offset % 8 == 0;
        }
        return false;
    }

    // What one access of width bytes at offset reads.
    uint64_t answer(size_t offset, int width) const {
        const size_t bytes = static_cast<size_t>(width);
        if (reaches(offset, width)) {
            return registers.get(offset, bytes);
        }
        if (rules[offset] == WidthRule::qword_register) {
            return registers.get(offset & ~size_t{7}, bytes);
        }
        return 0;
    }
};

RegisterBlock::RegisterBlock(SimBus& bus, uint64_t base, size_t size, WidthRule rule)
    : m_state(std::make_shared<State>(base, size, rule)),
      m_range(&bus.add_memory(base, size, BitAttr::ro)) {
    std::shared_ptr<State> state = m_state;
    // Before each read, the range takes what every access of it answers;
    // after each write, the accesses that reach the registers change them.
    bus.on_mem_read(base, base + size, [state](const MemEvent& e) {
        const size_t start = static_cast<size_t>(e.addr - state->base);
        for (const core::IoChunk& chunk : core::split_mmio_access(e.addr, e.len)) {
            const size_t offset = start + chunk.offset;
            e.range.set(offset, state->answer(offset, chunk.width),
                        static_cast<size_t>(chunk.width));
        }
    });
    bus.on_mem_write(base, base + size, [state](const MemEvent& e) {
        const size_t start = static_cast<size_t>(e.addr - state->base);
        for (const core::IoChunk& chunk : core::split_mmio_access(e.addr, e.len)) {
            const size_t offset = start + chunk.offset;
            if (state->reaches(offset, chunk.width)) {
                state->registers.device_write(offset, e.data + chunk.offset,
                                              static_cast<size_t>(chunk.width));
            }
        }
    });
}

uint64_t RegisterBlock::base() const { return m_state->base; }
size_t RegisterBlock::size() const { return m_state->registers.size(); }
RegisterSpace& RegisterBlock::registers() { return m_state->registers; }

void RegisterBlock::set_rule(size_t offset, size_t len, WidthRule rule) {
    if (offset > size() || len > size() - offset) {
        throw std::out_of_range("width rule beyond the register block");
    }
    std::fill_n(m_state->rules.begin() + static_cast<std::ptrdiff_t>(offset), len, rule);
}

namespace {

constexpr size_t kDeviceCapabilityBytes = 16;

// Marks the Memory Device Status register of the block's capability array
// as the 64-bit register it is; headers beyond the block are not followed.
// Returns its offset, or 0 when the block has none.
size_t mark_memory_device_status(RegisterBlock& block) {
    RegisterSpace& regs = block.registers();
    const uint64_t count = (regs.get64(0) >> 32) & 0xFFFF;
    size_t status = 0;
    for (uint64_t i = 1; i <= count && (i + 1) * kDeviceCapabilityBytes <= block.size(); ++i) {
        const size_t header = static_cast<size_t>(i * kDeviceCapabilityBytes);
        const uint32_t offset = regs.get32(header + 4);
        if ((regs.get32(header) & 0xFFFF) == CXL_DEV_MEMORY_REGISTER && offset % 8 == 0 &&
            offset + 8 <= block.size()) {
            block.set_rule(offset, 8, WidthRule::qword_register);
            status = offset;
        }
    }
    return status;
}

bool is_hex(const std::string& word, size_t digits) {
    if (word.size() != digits) {
        return false;
    }
    for (char c : word) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) ||
            std::isupper(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// "0000:0c:00.0", alone on its line.
bool function_line(const std::string& text, SBDF& sbdf) {
    unsigned seg = 0, bus = 0, dev = 0, fun = 0;
    int used = 0;
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) ||
        std::sscanf(text.c_str(), "%4x:%2x:%2x.%1x%n", &seg, &bus, &dev, &fun, &used) != 4 ||
        text.find_first_not_of(" \t\r", static_cast<size_t>(used)) != std::string::npos ||
        dev > 0x1F || fun > 7) {
        return false;
    }
    sbdf = SBDF(seg, bus, dev, fun);
    return true;
}

// "  block 1: BIR=0 id=1 (Component Registers) offset=0x0"
bool block_line(const std::string& text, unsigned& rbi) {
    return std::sscanf(text.c_str(), " block %*u: BIR=%*u id=%u", &rbi) == 1 &&
           text.find("block") < text.find(':');
}

// "    BAR0: 0xfe800000 size 0x10000 -> block at 0xfe800000, mapping 0x10000 bytes"
bool mapping_line(const std::string& text, unsigned long long& base, unsigned long long& size) {
    return std::sscanf(text.c_str(),
                       " BAR%*1u: 0x%*x size 0x%*x -> block at 0x%llx, mapping 0x%llx bytes",
                       &base, &size) == 2;
}

// "      01000: 05110001 08020002 0d820004 11010005": an offset and 1 to 4 dwords.
bool dump_line(const std::string& text, size_t& offset, std::vector<uint32_t>& dwords) {
    std::istringstream words(text);
    std::string word;
    if (text.empty() || !std::isspace(static_cast<unsigned char>(text[0])) || !(words >> word) ||
        word.back() != ':' || !is_hex(word.substr(0, word.size() - 1), 5)) {
        return false;
    }
    offset = static_cast<size_t>(std::stoull(word, nullptr, 16));
    dwords.clear();
    while (words >> word) {
        if (!is_hex(word, 8) || dwords.size() == 4) {
            return false;
        }
        dwords.push_back(static_cast<uint32_t>(std::stoul(word, nullptr, 16)));
    }
    return !dwords.empty();
}

}  // namespace

RegisterBlock add_component_block(SimBus& bus, uint64_t base,
                                  const std::vector<CacheMemCapability>& caps) {
    RegisterBlock block(bus, base, kComponentBlockSize, WidthRule::dword);
    RegisterSpace& regs = block.registers();
    regs.set32(kCacheMemOffset, uint32_t{CXL_CAPABILITY} | 1u << 16 | 1u << 20 |
                                    static_cast<uint32_t>(caps.size() & 0xFF) << 24);
    for (size_t i = 0; i < caps.size(); ++i) {
        const CacheMemCapability& c = caps[i];
        regs.set32(kCacheMemOffset + 4 * (i + 1), uint32_t{c.id} | uint32_t{c.version} << 16 |
                                                      uint32_t{c.pointer & 0xFFFu} << 20);
    }
    return block;
}

RegisterBlock add_memory_device_block(SimBus& bus, uint64_t base, size_t size,
                                      const std::vector<DeviceCapability>& caps) {
    RegisterBlock block(bus, base, size, WidthRule::dword_qword);
    RegisterSpace& regs = block.registers();
    regs.set64(0, uint64_t{1} << 16 | uint64_t{caps.size() & 0xFFFF} << 32);
    for (size_t i = 0; i < caps.size(); ++i) {
        const DeviceCapability& c = caps[i];
        const size_t header = kDeviceCapabilityBytes * (i + 1);
        regs.set32(header, uint32_t{c.id} | uint32_t{c.version} << 16);
        regs.set32(header + 4, c.offset);
        regs.set32(header + 8, c.length);
    }
    mark_memory_device_status(block);
    return block;
}

ConfigBuilder& register_locator(ConfigBuilder& b, const std::vector<RegisterBlockEntry>& entries) {
    const size_t length = 0x0C + 8 * entries.size();
    b.dvsec(REG_LOCATOR_DVSEC, 0, static_cast<uint16_t>(length));
    for (size_t i = 0; i < entries.size(); ++i) {
        const RegisterBlockEntry& e = entries[i];
        b.reg(0x0C + 8 * i,
              uint64_t{e.bir & 7u} | uint64_t{e.rbi} << 8 | (e.offset & 0xFFFF0000u), 4);
        b.reg(0x10 + 8 * i, e.offset >> 32, 4);
    }
    return b;
}

std::vector<DumpedBlock> load_bar_registers(SimBus& bus, const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    std::vector<DumpedBlock> blocks;
    bool have_function = false;
    SBDF sbdf;
    int rbi = -1;
    DumpedBlock* current = nullptr;
    auto finish = [&]() {
        if (current != nullptr && current->rbi == RBI_CXL_MEM_DEV_REGISTER) {
            // The dump read the 64-bit status register with 4-byte loads,
            // which give its low half at both dwords; its high half is 0.
            const size_t status = mark_memory_device_status(current->block);
            RegisterSpace& regs = current->block.registers();
            if (status != 0 && regs.get32(status + 4) == regs.get32(status)) {
                regs.set32(status + 4, 0);
            }
        }
        current = nullptr;
    };

    std::string text;
    unsigned number = 0;
    while (std::getline(in, text)) {
        ++number;
        const auto bad = [&](const char* why) {
            return std::runtime_error(path + ":" + std::to_string(number) + ": " + why);
        };
        SBDF address;
        unsigned id = 0;
        unsigned long long base = 0, size = 0;
        size_t offset = 0;
        std::vector<uint32_t> dwords;
        if (function_line(text, address)) {
            finish();
            sbdf = address;
            have_function = true;
            rbi = -1;
        } else if (block_line(text, id)) {
            finish();
            if (!have_function || id > 0xFF) {
                throw bad("block outside a function");
            }
            rbi = static_cast<int>(id);
        } else if (mapping_line(text, base, size)) {
            if (rbi < 0 || current != nullptr) {
                throw bad("BAR mapping outside a block");
            }
            const WidthRule rule =
                rbi == RBI_COMPONENT_REGISTER ? WidthRule::dword : WidthRule::dword_qword;
            blocks.push_back({sbdf, static_cast<uint8_t>(rbi),
                              RegisterBlock(bus, base, static_cast<size_t>(size), rule)});
            current = &blocks.back();
        } else if (dump_line(text, offset, dwords)) {
            if (current == nullptr) {
                throw bad("register dump outside a mapped block");
            }
            for (uint32_t dword : dwords) {
                if (offset + 4 > current->block.size()) {
                    throw bad("register dump beyond the block");
                }
                current->block.registers().set32(offset, dword);
                offset += 4;
            }
        }
    }
    finish();
    return blocks;
}

}  // namespace sim
}  // namespace tarvo
