#include "sim/sim_bus.hpp"

#include <algorithm>
#include <stdexcept>

#include "core/io/hwio/hwio.hpp"

namespace tarvo {
namespace sim {

const char* to_string(AccessKind kind) {
    switch (kind) {
        case AccessKind::config_read: return "config_read";
        case AccessKind::config_write: return "config_write";
        case AccessKind::mmio_read: return "mmio_read";
        case AccessKind::mmio_write: return "mmio_write";
        case AccessKind::phys_read: return "phys_read";
        case AccessKind::phys_write: return "phys_write";
        case AccessKind::acpi_read: return "acpi_read";
        case AccessKind::file_read: return "file_read";
        case AccessKind::doe_read: return "doe_read";
        case AccessKind::doe_write: return "doe_write";
    }
    return "?";
}

ConfigSpace& SimBus::add_function(SBDF sbdf, ConfigSpace space) {
    m_functions.erase(sbdf.sbdf());
    return m_functions.emplace(sbdf.sbdf(), std::move(space)).first->second;
}

ConfigSpace& SimBus::config(SBDF sbdf) {
    auto it = m_functions.find(sbdf.sbdf());
    if (it == m_functions.end()) {
        throw std::out_of_range("no simulated function " + sbdf.str());
    }
    return it->second;
}

MemRange& SimBus::add_memory(uint64_t base, size_t size, BitAttr initial) {
    if (size == 0 || base + size < base) {
        throw std::invalid_argument("simulated memory range is empty or wraps");
    }
    for (const auto& entry : m_memory) {
        const MemRange& r = entry.second;
        if (base < r.base() + r.size() && r.base() < base + size) {
            throw std::invalid_argument("simulated memory ranges overlap");
        }
    }
    return m_memory.emplace(base, MemRange(base, size, initial)).first->second;
}

MemRange* SimBus::find_memory(uint64_t addr, uint64_t len) {
    auto it = m_memory.upper_bound(addr);
    if (it == m_memory.begin()) {
        return nullptr;
    }
    --it;
    MemRange& r = it->second;
    const uint64_t offset = addr - r.base();
    if (offset >= r.size() || len > r.size() - offset) {
        return nullptr;
    }
    return &r;
}

void SimBus::set_acpi_table(const std::string& signature, std::vector<uint8_t> data) {
    m_acpi[signature] = std::move(data);
}

void SimBus::set_file(const std::string& name, std::vector<uint8_t> data) {
    m_files[name] = std::move(data);
}

std::vector<SBDF> SimBus::functions() const {
    std::vector<SBDF> out;
    for (const auto& entry : m_functions) {
        const uint32_t packed = entry.first;
        out.emplace_back(packed >> 16, (packed >> 8) & 0xFF, (packed >> 3) & 0x1F, packed & 7);
    }
    return out;
}

HookId SimBus::on_config_read(SBDF sbdf, uint32_t begin, uint32_t end, ConfigHook hook) {
    m_config_hooks.push_back({m_next_hook, sbdf, begin, end, false, std::move(hook)});
    return m_next_hook++;
}

HookId SimBus::on_config_write(SBDF sbdf, uint32_t begin, uint32_t end, ConfigHook hook) {
    m_config_hooks.push_back({m_next_hook, sbdf, begin, end, true, std::move(hook)});
    return m_next_hook++;
}

HookId SimBus::on_mem_read(uint64_t begin, uint64_t end, MemHook hook) {
    m_mem_hooks.push_back({m_next_hook, begin, end, false, std::move(hook)});
    return m_next_hook++;
}

HookId SimBus::on_mem_write(uint64_t begin, uint64_t end, MemHook hook) {
    m_mem_hooks.push_back({m_next_hook, begin, end, true, std::move(hook)});
    return m_next_hook++;
}

void SimBus::remove_hook(HookId id) {
    m_config_hooks.erase(std::remove_if(m_config_hooks.begin(), m_config_hooks.end(),
                                        [id](const ConfigHookEntry& e) { return e.id == id; }),
                         m_config_hooks.end());
    m_mem_hooks.erase(std::remove_if(m_mem_hooks.begin(), m_mem_hooks.end(),
                                     [id](const MemHookEntry& e) { return e.id == id; }),
                      m_mem_hooks.end());
}

void SimBus::fail_at(AccessKind kind, uint64_t address, std::optional<SBDF> sbdf) {
    m_faults_at.push_back({kind, address, sbdf});
}

void SimBus::fail_after(AccessKind kind, unsigned n) { m_fail_after[kind] = n; }

void SimBus::clear_faults() {
    m_faults_at.clear();
    m_fail_after.clear();
}

std::vector<Access> SimBus::log_of(AccessKind kind) const {
    std::vector<Access> out;
    std::copy_if(m_log.begin(), m_log.end(), std::back_inserter(out),
                 [kind](const Access& a) { return a.kind == kind; });
    return out;
}

bool SimBus::faulted(AccessKind kind, SBDF sbdf, uint64_t address, uint64_t len) {
    bool fail = false;
    auto counter = m_fail_after.find(kind);
    if (counter != m_fail_after.end()) {
        if (counter->second == 0) {
            fail = true;
        } else {
            --counter->second;
        }
    }
    for (const FaultAt& f : m_faults_at) {
        if (f.kind != kind || (f.sbdf && f.sbdf->sbdf() != sbdf.sbdf())) {
            continue;
        }
        if (f.address >= address && f.address - address < std::max<uint64_t>(len, 1)) {
            fail = true;
        }
    }
    return fail;
}

void SimBus::log_access(AccessKind kind, SBDF sbdf, uint64_t address, int len,
                        const uint8_t* data, bool ok, std::string name) {
    uint64_t value = 0;
    if (ok && data != nullptr) {
        for (int i = 0; i < std::min(len, 8); ++i) {
            value |= uint64_t{data[i]} << (8 * i);
        }
    }
    m_log.push_back({kind, sbdf, address, len, value, ok, std::move(name)});
}

void SimBus::run_config_hooks(bool write, const ConfigEvent& event) {
    std::vector<ConfigHook> matching;
    for (const ConfigHookEntry& e : m_config_hooks) {
        if (e.write == write && e.sbdf.sbdf() == event.sbdf.sbdf() && event.offset < e.end &&
            e.begin < event.offset + std::max<uint32_t>(event.len, 1)) {
            matching.push_back(e.hook);
        }
    }
    for (const ConfigHook& hook : matching) {
        hook(event);
    }
}

void SimBus::run_mem_hooks(bool write, const MemEvent& event) {
    std::vector<MemHook> matching;
    for (const MemHookEntry& e : m_mem_hooks) {
        if (e.write == write && event.addr < e.end && e.begin < event.addr + event.len) {
            matching.push_back(e.hook);
        }
    }
    for (const MemHook& hook : matching) {
        hook(event);
    }
}

ConfigSpace* SimBus::admit_config(AccessKind kind, SBDF sbdf, int offset, const uint8_t* buf,
                                  int len) {
    auto it = m_functions.find(sbdf.sbdf());
    const bool valid = offset >= 0 && len >= 0 && (buf != nullptr || len == 0) &&
                       it != m_functions.end() &&
                       static_cast<size_t>(offset) + static_cast<size_t>(len) <=
                           it->second.size();
    if (!valid || faulted(kind, sbdf, static_cast<uint64_t>(offset), static_cast<uint64_t>(len))) {
        log_access(kind, sbdf, static_cast<uint64_t>(offset), len, nullptr, false);
        return nullptr;
    }
    return &it->second;
}

bool SimBus::config_read(SBDF sbdf, int offset, uint8_t* buf, int len) {
    const AccessKind kind = AccessKind::config_read;
    ConfigSpace* space = admit_config(kind, sbdf, offset, buf, len);
    if (space == nullptr) {
        return false;
    }
    run_config_hooks(false, {*this, sbdf, *space, static_cast<uint32_t>(offset),
                             static_cast<uint32_t>(len), nullptr, nullptr});
    // A hook may have put a new space in the function's place.
    config(sbdf).read(static_cast<size_t>(offset), buf, static_cast<size_t>(len));
    log_access(kind, sbdf, static_cast<uint64_t>(offset), len, buf, true);
    return true;
}

bool SimBus::config_write(SBDF sbdf, int offset, const uint8_t* buf, int len) {
    const AccessKind kind = AccessKind::config_write;
    ConfigSpace* space = admit_config(kind, sbdf, offset, buf, len);
    if (space == nullptr) {
        return false;
    }
    std::vector<uint8_t> before(static_cast<size_t>(len));
    space->read(static_cast<size_t>(offset), before.data(), before.size());
    space->device_write(static_cast<size_t>(offset), buf, static_cast<size_t>(len));
    log_access(kind, sbdf, static_cast<uint64_t>(offset), len, buf, true);
    run_config_hooks(true, {*this, sbdf, *space, static_cast<uint32_t>(offset),
                            static_cast<uint32_t>(len), buf, before.data()});
    return true;
}

MemRange* SimBus::admit_mem(AccessKind kind, uint64_t addr, const uint8_t* buf, int len) {
    MemRange* range = (len > 0 && buf != nullptr) ? find_memory(addr, static_cast<uint64_t>(len))
                                                  : nullptr;
    if (range == nullptr || faulted(kind, SBDF(), addr, static_cast<uint64_t>(len))) {
        log_access(kind, SBDF(), addr, len, nullptr, false);
        return nullptr;
    }
    return range;
}

bool SimBus::mem_read(AccessKind kind, uint64_t addr, uint8_t* buf, int len) {
    MemRange* range = admit_mem(kind, addr, buf, len);
    if (range == nullptr) {
        return false;
    }
    run_mem_hooks(false, {*this, *range, addr, static_cast<uint32_t>(len), nullptr, nullptr});
    const uint64_t offset = addr - range->base();
    for (const core::IoChunk& chunk : core::split_mmio_access(addr, static_cast<size_t>(len))) {
        range->record({offset + chunk.offset, chunk.width, false});
        range->read(static_cast<size_t>(offset + chunk.offset), buf + chunk.offset,
                    static_cast<size_t>(chunk.width));
    }
    log_access(kind, SBDF(), addr, len, buf, true);
    return true;
}

bool SimBus::mem_write(AccessKind kind, uint64_t addr, const uint8_t* buf, int len) {
    MemRange* range = admit_mem(kind, addr, buf, len);
    if (range == nullptr) {
        return false;
    }
    const uint64_t offset = addr - range->base();
    std::vector<uint8_t> before(static_cast<size_t>(len));
    range->read(static_cast<size_t>(offset), before.data(), before.size());
    for (const core::IoChunk& chunk : core::split_mmio_access(addr, static_cast<size_t>(len))) {
        range->record({offset + chunk.offset, chunk.width, true});
        range->device_write(static_cast<size_t>(offset + chunk.offset), buf + chunk.offset,
                            static_cast<size_t>(chunk.width));
    }
    log_access(kind, SBDF(), addr, len, buf, true);
    run_mem_hooks(true, {*this, *range, addr, static_cast<uint32_t>(len), buf, before.data()});
    return true;
}

bool SimBus::read_blob(AccessKind kind, const std::map<std::string, std::vector<uint8_t>>& blobs,
                       const std::string& name, int offset, uint8_t* buf, int len) {
    auto it = blobs.find(name);
    const bool valid = it != blobs.end() && offset >= 0 && len >= 0 &&
                       (buf != nullptr || len == 0) &&
                       static_cast<size_t>(offset) + static_cast<size_t>(len) <=
                           it->second.size();
    if (!valid ||
        faulted(kind, SBDF(), static_cast<uint64_t>(offset), static_cast<uint64_t>(len))) {
        log_access(kind, SBDF(), static_cast<uint64_t>(offset), len, nullptr, false, name);
        return false;
    }
    std::copy_n(it->second.begin() + offset, len, buf);
    log_access(kind, SBDF(), static_cast<uint64_t>(offset), len, buf, true, name);
    return true;
}

bool SimBus::acpi_read(const std::string& signature, uint8_t* buf, int len) {
    return read_blob(AccessKind::acpi_read, m_acpi, signature, 0, buf, len);
}

bool SimBus::file_read(const std::string& name, int offset, uint8_t* buf, int len) {
    return read_blob(AccessKind::file_read, m_files, name, offset, buf, len);
}

bool SimBus::doe_read(uint8_t* /*buf*/, int len) {
    const bool ok = !faulted(AccessKind::doe_read, SBDF(), 0, 0);
    log_access(AccessKind::doe_read, SBDF(), 0, len, nullptr, ok);
    return ok;
}

bool SimBus::doe_write(uint8_t* buf, int len) {
    const bool ok = m_doe_device && buf != nullptr && !faulted(AccessKind::doe_write, SBDF(), 0, 0);
    log_access(AccessKind::doe_write, SBDF(), 0, len, nullptr, ok);
    return ok;
}

}  // namespace sim
}  // namespace tarvo
