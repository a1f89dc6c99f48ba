#include "sim/sim_hwio.hpp"

#include <utility>

#include "sim/fake_sysfs.hpp"

namespace tarvo {
namespace sim {
namespace {
SBDF address(int seg, int bus, int dev, int fun) {
    // The simulated bus answers only properly formed addresses.
    if (seg < 0 || seg > 0xFFFF || bus < 0 || bus > 0xFF || dev < 0 || dev > 0x1F || fun < 0 ||
        fun > 7) {
        return SBDF(0xFFFF, 0xFF, 0x1F, 7);
    }
    return SBDF(static_cast<uint32_t>(seg), static_cast<uint32_t>(bus), static_cast<uint32_t>(dev),
                static_cast<uint32_t>(fun));
}
}  // namespace

int SimHwio::ReadPCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                     int len) {
    return m_bus->config_read(address(seg, bus, dev, fun), offset, buf, len) ? 1 : 0;
}

int SimHwio::WritePCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                      int len) {
    return m_bus->config_write(address(seg, bus, dev, fun), offset, buf, len) ? 1 : 0;
}

int SimHwio::ReadPCI(SBDF sbdf, uint64_t base_offset, core::Register& reg) {
    return core::read_config_register(*this, sbdf, base_offset, reg);
}

int SimHwio::WritePCI(SBDF sbdf, uint64_t base_offset, core::Register& reg) {
    return core::write_config_register(*this, sbdf, base_offset, reg);
}

int SimHwio::ReadMMIO(unsigned char* buf, uint64_t addr, int len) {
    return m_bus->mem_read(AccessKind::mmio_read, addr, buf, len) ? 1 : 0;
}

int SimHwio::WriteMMIO(unsigned char* buf, uint64_t addr, int len) {
    return m_bus->mem_write(AccessKind::mmio_write, addr, buf, len) ? 1 : 0;
}

int SimHwio::ReadPhysMem(unsigned char* buf, uint64_t addr, int len) {
    return m_bus->mem_read(AccessKind::phys_read, addr, buf, len) ? 1 : 0;
}

int SimHwio::WritePhysMem(unsigned char* buf, uint64_t addr, int len) {
    return m_bus->mem_write(AccessKind::phys_write, addr, buf, len) ? 1 : 0;
}

int SimHwio::ReadACPI(unsigned char* buf, char* ID, int len) {
    return ID != nullptr && m_bus->acpi_read(ID, buf, len) ? 1 : 0;
}

int SimHwio::ReadFile(unsigned char* buf, std::string filename, int offset, int len) {
    return m_bus->file_read(filename, offset, buf, len) ? 1 : 0;
}

int SimHwio::ReadDOE(unsigned char* buf, int len) { return m_bus->doe_read(buf, len) ? 1 : 0; }

int SimHwio::WriteDOE(unsigned char* buf, int len) { return m_bus->doe_write(buf, len) ? 1 : 0; }

ScopedHwioFactory::ScopedHwioFactory(std::shared_ptr<SimBus> bus,
                                     std::vector<std::string> also_listed)
    : ScopedHwioFactory(core::HWIOCreator::Factory([bus]() -> std::unique_ptr<core::hwio> {
                            return std::make_unique<SimHwio>(bus);
                        }),
                        bus, std::move(also_listed)) {}

ScopedHwioFactory::ScopedHwioFactory(core::HWIOCreator::Factory factory,
                                     std::vector<std::string> also_listed)
    : ScopedHwioFactory(std::move(factory), nullptr, std::move(also_listed)) {}

ScopedHwioFactory::ScopedHwioFactory(core::HWIOCreator::Factory factory,
                                     std::shared_ptr<SimBus> bus,
                                     std::vector<std::string> also_listed) {
    auto created = m_created;
    m_previous = core::HWIOCreator::set_factory([created, factory = std::move(factory)]() {
        ++*created;
        return factory();
    });
    auto listings = m_listings;
    m_previous_lister = core::HWIOCreator::set_lister(
        [listings, bus, also_listed = std::move(also_listed)](
            const core::HWIOCreator::EntrySink& entry) {
            ++*listings;
            if (bus) {
                for (const SBDF& function : bus->functions()) {
                    entry(FakeSysfs::name_of(function).c_str());
                }
            }
            for (const std::string& name : also_listed) {
                entry(name.c_str());
            }
        });
}

ScopedHwioFactory::~ScopedHwioFactory() {
    core::HWIOCreator::set_lister(std::move(m_previous_lister));
    core::HWIOCreator::set_factory(std::move(m_previous));
}

}  // namespace sim
}  // namespace tarvo
