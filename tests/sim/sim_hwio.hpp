#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/io/hwio/hwio.hpp"
#include "core/io/hwio/hwio_creator.hpp"
#include "sim/sim_bus.hpp"

namespace tarvo {
namespace sim {

// A core::hwio over a shared SimBus. Results follow hwio_linux: byte-level
// operations give 1 or 0, register-level ones 0 or -1 (through the same
// dword-wise register access), a missing function or a transfer beyond its
// configuration space fails, memory is moved at the widths hwio_linux uses.
class SimHwio : public core::hwio {
public:
    explicit SimHwio(std::shared_ptr<SimBus> bus) : m_bus(std::move(bus)) {}

    int ReadPCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                int len) override;
    int WritePCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                 int len) override;
    int ReadPCI(SBDF sbdf, uint64_t base_offset, core::Register& reg) override;
    int WritePCI(SBDF sbdf, uint64_t base_offset, core::Register& reg) override;
    int ReadMMIO(unsigned char* buf, uint64_t addr, int len) override;
    int WriteMMIO(unsigned char* buf, uint64_t addr, int len) override;
    int ReadPhysMem(unsigned char* buf, uint64_t addr, int len) override;
    int WritePhysMem(unsigned char* buf, uint64_t addr, int len) override;
    int ReadACPI(unsigned char* buf, char* ID, int len) override;
    int ReadFile(unsigned char* buf, std::string filename, int offset, int len) override;
    int ReadDOE(unsigned char* buf, int len) override;
    int WriteDOE(unsigned char* buf, int len) override;

    SimBus& bus() { return *m_bus; }

private:
    std::shared_ptr<SimBus> m_bus;
};

// While alive, core::HWIOCreator::create_hwio makes SimHwio handles over bus
// (or what the given factory makes) and the folder of PCI functions lists the
// bus's functions as sysfs names them ("0000:0d:00.0"), at the time of each
// listing, then also_listed (names a real folder may hold beside them); with
// a factory it lists also_listed only. What was in place before comes back
// when it ends.
class ScopedHwioFactory {
public:
    explicit ScopedHwioFactory(std::shared_ptr<SimBus> bus,
                               std::vector<std::string> also_listed = {});
    explicit ScopedHwioFactory(core::HWIOCreator::Factory factory,
                               std::vector<std::string> also_listed = {});
    ~ScopedHwioFactory();
    ScopedHwioFactory(const ScopedHwioFactory&) = delete;
    ScopedHwioFactory& operator=(const ScopedHwioFactory&) = delete;

    // How many objects create_hwio has made so far.
    unsigned created() const { return *m_created; }
    // How many listings of the folder have been made so far.
    unsigned listings() const { return *m_listings; }

private:
    ScopedHwioFactory(core::HWIOCreator::Factory factory, std::shared_ptr<SimBus> bus,
                      std::vector<std::string> also_listed);

    std::shared_ptr<unsigned> m_created = std::make_shared<unsigned>(0);
    std::shared_ptr<unsigned> m_listings = std::make_shared<unsigned>(0);
    core::HWIOCreator::Factory m_previous;
    core::HWIOCreator::Lister m_previous_lister;
};

}  // namespace sim
}  // namespace tarvo
