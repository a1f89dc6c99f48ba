#include "unit/cfgtests/cfg_fixture.hpp"

#include <ostream>

#include "core/devices/devcomp.hpp"
#include "core/devices/targetinformation.hpp"
#include "core/testcases/testmessenger.hpp"

namespace cfgtests {

using namespace tarvo;

sim::ConfigSpace& CfgTest::install(sim::ConfigSpace space) {
    for (sim::HookId id : m_hooks) bus->remove_hook(id);
    m_hooks.clear();
    m_pending.clear();
    bus->clear_faults();
    return bus->add_function(kSut, std::move(space));
}

core::TestResult CfgTest::run(const TestFunction& test) {
    auto hw = std::make_shared<sim::SimHwio>(bus);
    auto device =
        std::make_shared<core::DevComp>(kSut.seg(), kSut.bus(), kSut.dev(), kSut.fun(), 0x8086, hw,
                                        "Unknown vendor", "CXL Device", PCIE_EP, 0);
    device->PopulateProperties();
    core::TargetInformation target("", "", 0, 0, "", core::phy_speeds::GT16, core::link_widths::x4,
                                   core::target_types::endpoint, core::form_factors::cem, false, "",
                                   device->GetCompType(), core::cxl_types::type3, false, false,
                                   kSut, device->IsCxl());
    core::Testools tt(device, std::make_shared<core::TestMessenger>(), hw,
                      std::make_shared<core::TargetInformation>(target), target);
    for (const auto& arm : m_pending) arm();
    m_pending.clear();
    bus->clear_log();
    m_first_record = m_capture.records().size();
    return test(tt);
}

Records CfgTest::records() const {
    Records kept;
    const auto& all = m_capture.records();
    for (size_t i = m_first_record; i < all.size(); ++i)
        if (all[i].level < debug_1) kept.push_back(all[i]);
    return kept;
}

void CfgTest::fail_from(sim::AccessKind kind, uint32_t offset, int nth) {
    m_pending.push_back([this, kind, offset, nth] {
        if (nth <= 1) {
            bus->fail_at(kind, offset, kSut);
            return;
        }
        // A fault is checked before the hooks of an access run, so arming it
        // in the hook of access nth - 1 fails access nth and every later one.
        auto seen = std::make_shared<int>(0);
        auto arm = [kind, offset, nth, seen](const sim::ConfigEvent& e) {
            if (++*seen == nth - 1) e.bus.fail_at(kind, offset, kSut);
        };
        m_hooks.push_back(kind == sim::AccessKind::config_write
                              ? bus->on_config_write(kSut, offset, offset + 1, arm)
                              : bus->on_config_read(kSut, offset, offset + 1, arm));
    });
}

void CfgTest::change_from(uint32_t offset, uint32_t value, int nth) {
    m_pending.push_back([this, offset, value, nth] {
        auto seen = std::make_shared<int>(0);
        m_hooks.push_back(bus->on_config_read(
            kSut, offset, offset + 4, [offset, value, nth, seen](const sim::ConfigEvent& e) {
                if (++*seen >= nth) e.space.set32(offset, value);
            }));
    });
}

void CfgTest::expect(const Scenario& scenario) {
    SCOPED_TRACE(scenario.name);
    install(scenario.device());
    if (scenario.arrange) scenario.arrange(*this);
    EXPECT_EQ(verdict(run(scenario.test)), scenario.result);
    EXPECT_EQ(records(), scenario.records);
    EXPECT_TRUE(config_writes().empty());
}

sim::ConfigSpace one_dvsec(PORT_TYPE_t type, uint16_t id, uint8_t rev, uint16_t len,
                           std::vector<std::pair<size_t, uint16_t>> regs) {
    sim::ConfigBuilder b;
    b.pcie_cap(type).dvsec(id, rev, len);
    for (const auto& r : regs) b.reg(r.first, r.second, 2);
    return b.build();
}

sim::ConfigSpace no_dvsec(PORT_TYPE_t type) {
    return sim::ConfigBuilder().pcie_cap(type).build();
}

std::vector<std::pair<uint64_t, int>> CfgTest::config_writes() const {
    std::vector<std::pair<uint64_t, int>> writes;
    for (const sim::Access& a : bus->log_of(sim::AccessKind::config_write))
        if (a.sbdf.sbdf() == kSut.sbdf()) writes.emplace_back(a.address, a.len);
    return writes;
}

std::ostream& operator<<(std::ostream& os, const Verdict& v) {
    return os << types::TestState(v.state) << " \"" << v.msg << "\"";
}

Verdict verdict(const core::TestResult& result) {
    return {result.state.value(), result.msg};
}

}  // namespace cfgtests
