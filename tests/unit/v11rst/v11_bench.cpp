#include "unit/v11rst/v11_bench.hpp"

#include <ostream>

#include "common/cxl_types.hpp"
#include "core/devices/devcomp.hpp"
#include "core/devices/targetinformation.hpp"
#include "core/testcases/testmessenger.hpp"

namespace v11 {

using namespace tarvo;

Records located() {
    return {debug("  (CHECKING OFFSET FOR DVSEC CXL): 0 (Offset location for DVSEC Offset)"),
            debug("  (DVSEC_OFFSET): 100 (expected existence only)")};
}

Records not_located() {
    return {debug("  (CHECKING OFFSET FOR DVSEC CXL): 0 (Offset location for DVSEC Offset)")};
}

sim::ConfigBuilder cxl_device() {
    sim::ConfigBuilder b;
    b.ids(0x8086, 0x0d93).pcie_cap(PCIE_EP, kPcieCap);
    b.dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38, CXL_DVSEC_VENDOR_ID, kDvsec);
    b.aer();
    return b;
}

sim::ConfigBuilder plain_device() {
    sim::ConfigBuilder b;
    b.ids(0x8086, 0x0d93).pcie_cap(PCIE_EP, kPcieCap);
    return b;
}

namespace {

// The simulated access with the bench's faults in front of it.
class FaultyHwio : public sim::SimHwio {
public:
    FaultyHwio(std::shared_ptr<sim::SimBus> bus, std::shared_ptr<V11Test::Faults> faults)
        : SimHwio(std::move(bus)), m_faults(std::move(faults)) {}

    int ReadPCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                int len) override {
        return passes(sim::AccessKind::config_read, offset, len)
                   ? SimHwio::ReadPCI(buf, seg, bus, dev, fun, offset, len)
                   : 0;
    }
    int WritePCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                 int len) override {
        return passes(sim::AccessKind::config_write, offset, len)
                   ? SimHwio::WritePCI(buf, seg, bus, dev, fun, offset, len)
                   : 0;
    }
    // The register-level forms go through the byte-level ones above.
    using SimHwio::ReadPCI;
    using SimHwio::WritePCI;
    int ReadMMIO(unsigned char* buf, uint64_t addr, int len) override {
        return passes(sim::AccessKind::mmio_read, addr, len) ? SimHwio::ReadMMIO(buf, addr, len)
                                                             : 0;
    }
    int WriteMMIO(unsigned char* buf, uint64_t addr, int len) override {
        return passes(sim::AccessKind::mmio_write, addr, len) ? SimHwio::WriteMMIO(buf, addr, len)
                                                              : 0;
    }
    int ReadPhysMem(unsigned char* buf, uint64_t addr, int len) override {
        return passes(sim::AccessKind::phys_read, addr, len)
                   ? SimHwio::ReadPhysMem(buf, addr, len)
                   : 0;
    }
    int WritePhysMem(unsigned char* buf, uint64_t addr, int len) override {
        return passes(sim::AccessKind::phys_write, addr, len)
                   ? SimHwio::WritePhysMem(buf, addr, len)
                   : 0;
    }
    int ReadACPI(unsigned char* buf, char* ID, int len) override {
        return passes(sim::AccessKind::acpi_read, 0, len) ? SimHwio::ReadACPI(buf, ID, len) : 0;
    }

private:
    // Counts the access against every fault that it covers.
    bool passes(sim::AccessKind kind, uint64_t addr, int len) {
        bool ok = true;
        for (V11Test::Fault& f : *m_faults) {
            if (f.kind == kind && f.address >= addr && f.address - addr < uint64_t(len)) {
                ++f.seen;
                ok = ok && (f.seen < f.first || f.seen > f.last);
            }
        }
        return ok;
    }

    std::shared_ptr<V11Test::Faults> m_faults;
};

}  // namespace

V11Test::V11Test()
    : factory(core::HWIOCreator::Factory([bus = bus, faults = faults] {
          return std::unique_ptr<core::hwio>(std::make_unique<FaultyHwio>(bus, faults));
      })) {}

core::TestResult V11Test::run(const TestFunction& test) { return run(test, kSut); }

core::TestResult V11Test::run(const TestFunction& test, std::optional<SBDF> tinfo_names) {
    auto hw = std::make_shared<FaultyHwio>(bus, faults);
    auto device = std::make_shared<core::DevComp>(kSut.seg(), kSut.bus(), kSut.dev(), kSut.fun(),
                                                  0x8086, hw, "Unknown vendor", "CXL Device",
                                                  PCIE_EP, 0);
    auto describe = [](SBDF sbdf) {
        return core::TargetInformation("", "", 0, 0, "", core::GT16, core::x4, core::endpoint,
                                       core::cem, false, "", PCIE_EP, core::type3, false, false,
                                       sbdf, true);
    };
    std::shared_ptr<core::TargetInformation> tinfo;
    if (tinfo_names) {
        tinfo = std::make_shared<core::TargetInformation>(describe(*tinfo_names));
    }
    core::Testools tt(device, std::make_shared<core::TestMessenger>(), hw, tinfo,
                      describe(kSut));
    bus->clear_log();
    m_first_record = m_capture.records().size();
    return test(tt);
}

void V11Test::expect(const Case& c) {
    SCOPED_TRACE(c.name);
    sim::ConfigBuilder b = cxl_device();
    for (const Reg& r : c.regs) b.set(kDvsec + std::get<0>(r), std::get<1>(r), std::get<2>(r));
    install(b.build());
    faults->clear();
    if (c.arrange) c.arrange(*this);
    EXPECT_EQ(verdict(run(c.test)), c.result);
    EXPECT_EQ(records(), located() + c.records);
    EXPECT_EQ(moved(accesses(sim::AccessKind::config_write)), c.writes);
}

Records V11Test::records() const {
    Records kept;
    const auto& all = m_capture.records();
    for (size_t i = m_first_record; i < all.size(); ++i) {
        if (all[i].level <= debug_2) kept.push_back(all[i]);
    }
    return kept;
}

void V11Test::fail_access(sim::AccessKind kind, uint64_t address, int nth, int count) {
    const int last = count > std::numeric_limits<int>::max() - nth ? std::numeric_limits<int>::max()
                                                                   : nth + count - 1;
    faults->push_back({kind, address, nth, last, 0});
}

std::ostream& operator<<(std::ostream& os, const Moved& m) {
    return os << std::hex << "{0x" << m.address << ", " << std::dec << m.len << ", 0x" << std::hex
              << m.value << "}" << std::dec;
}

std::vector<Moved> moved(const std::vector<sim::Access>& accesses) {
    std::vector<Moved> out;
    for (const sim::Access& a : accesses) {
        if (a.ok) out.push_back({a.address, a.len, a.value});
    }
    return out;
}

}  // namespace v11
