// Enumeration of segment 0, target creation and the two pools, on simulated
// functions and on the functions of the QEMU dumps.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/cxl_device_pool.hpp"
#include "core/devices/device_enumerator.hpp"
#include "core/devices/target_creator.hpp"
#include "core/target_pool.hpp"
#include "unit/devices/config_layout.hpp"
#include "unit/model/log_capture.hpp"
#include "sim/config_builder.hpp"
#include "sim/lspci_dump.hpp"
#include "sim/sim_hwio.hpp"

namespace tarvo {
namespace {

using Record = LogCapture::Record;

constexpr uint32_t kUnknownPortType = 0xBEEF;

std::vector<uint32_t> addresses(const std::vector<std::shared_ptr<core::DevComp>>& devices) {
    std::vector<uint32_t> out;
    for (const auto& d : devices) out.push_back(d->GetSBDF());
    return out;
}

std::vector<uint32_t> addresses(const std::vector<core::TargetInformation>& targets) {
    std::vector<uint32_t> out;
    for (const auto& t : targets) out.push_back(t.sbdf().sbdf());
    return out;
}

class EnumerationTest : public ::testing::Test {
protected:
    LogCapture quiet;  // keeps the records off the console
    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    sim::ScopedHwioFactory factory{bus};
};

// A mixed system: CXL functions at 00:01.0 (packed 0x8) and 3a:00.0, one with
// only the Test Capability DVSEC at 40:00.0, and functions that are not kept.
class MixedSystemTest : public EnumerationTest {
protected:
    MixedSystemTest() {
        bus->add_function(SBDF(0, 0x3a, 0, 0), sim::ConfigBuilder()
                                                   .ids(0x8086, 0x0d93)
                                                   .pcie_cap(RP)
                                                   .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
                                                   .build());
        bus->add_function(SBDF(0, 0, 1, 0), sim::ConfigBuilder()
                                                .ids(0x8086, 0x0d93)
                                                .dvsec(REG_LOCATOR_DVSEC, 0, 0x24)
                                                .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
                                                .build());
        bus->add_function(SBDF(0, 0x40, 0, 0), sim::ConfigBuilder()
                                                   .ids(0x8086, 0x1234)
                                                   .dvsec(PCIE_DVSECFOR_TEST_CAP, 0, 0x24)
                                                   .build());
        // A PCIe function without CXL DVSECs, one with only other CXL DVSECs,
        // and one whose vendor ID reads 0xFFFF although it carries the DVSEC.
        bus->add_function(SBDF(0, 0, 2, 0),
                          sim::ConfigBuilder().ids(0x8086, 0x1111).pcie_cap(PCIE_EP).build());
        bus->add_function(SBDF(0, 0x0c, 0, 0), sim::ConfigBuilder()
                                                   .ids(0x8086, 0x7075)
                                                   .dvsec(CXL_EXTENTION_PORTS_DVSEC, 0, 0x28)
                                                   .build());
        bus->add_function(SBDF(0, 5, 0, 0), sim::ConfigBuilder()
                                                .ids(0xFFFF, 0xFFFF)
                                                .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
                                                .build());
    }

    const std::vector<uint32_t> kCxl{0x0008, 0x3A00, 0x4000};
};

TEST_F(MixedSystemTest, KeepsCxlFunctionsInAddressOrder) {
    core::LinuxPCIEDeviceEnumerator enumerator;
    const auto devices = enumerator.list_of_devices();
    EXPECT_EQ(addresses(devices), kCxl);
    for (const auto& d : devices) {
        EXPECT_TRUE(d->IsCxl());
        EXPECT_EQ(d->str().substr(d->str().find(':', 3)), ":Unknown vendor - CXL Device");
    }
    const auto targets = enumerator.list_of_targets();
    EXPECT_EQ(addresses(targets), kCxl);
    for (const auto& t : targets) EXPECT_TRUE(t.iscxl());
}

TEST_F(MixedSystemTest, PortTypeOfTargetsAndDevices) {
    core::LinuxPCIEDeviceEnumerator enumerator;
    const auto devices = enumerator.list_of_devices();
    const auto targets = enumerator.list_of_targets();
    ASSERT_EQ(devices.size(), 3u);
    ASSERT_EQ(targets.size(), 3u);
    // 00:01.0 has no PCI Express Capability.
    EXPECT_EQ(devices[0]->GetCompType(), RCIEP);
    EXPECT_EQ(static_cast<uint32_t>(targets[0].port_type()), kUnknownPortType);
    EXPECT_EQ(devices[1]->GetCompType(), RP);
    EXPECT_EQ(targets[1].port_type(), RP);
}

TEST_F(MixedSystemTest, OneSharedAccessForDevicesAndOnePerScan) {
    core::LinuxPCIEDeviceEnumerator enumerator;
    const unsigned after_construction = factory.created();
    enumerator.list_of_devices();
    EXPECT_EQ(factory.created(), after_construction + 1);
}

TEST_F(MixedSystemTest, EachTargetFoundIsLogged) {
    core::LinuxPCIEDeviceEnumerator enumerator;
    LogCapture log;
    enumerator.list_of_targets();
    EXPECT_EQ(log.records(), (std::vector<Record>{{info, "CXL device found at: 0:1.0\n\n"},
                                                  {info, "CXL device found at: 3a:0.0\n\n"},
                                                  {info, "CXL device found at: 40:0.0\n\n"}}));
}

TEST_F(MixedSystemTest, PoolsHoldTheFunctionsAndTheSelection) {
    core::LinuxPCIEDeviceEnumerator enumerator;
    CXLDevicePool devices(enumerator);
    TargetPool targets(enumerator);

    EXPECT_EQ(devices.count(), 3);
    EXPECT_EQ(targets.count(), 3);
    EXPECT_FALSE(devices.empty());
    EXPECT_EQ(addresses(devices.device_list()), kCxl);
    std::vector<uint32_t> listed = addresses(targets.target_list());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, kCxl);

    ASSERT_TRUE(devices.sut());
    EXPECT_EQ(devices.sut()->GetSBDF(), 0x8u);
    EXPECT_EQ(targets.sut().sbdf().sbdf(), 0x8u);

    EXPECT_EQ(devices.device(0x3A00)->GetBusNum(), 0x3au);
    EXPECT_EQ(targets.target(0x3A00).port_type(), RP);

    // A function that is not a CXL one is not held.
    const uint32_t not_cxl = SBDF(0, 0, 2, 0).sbdf();
    EXPECT_FALSE(devices.device(not_cxl));
    EXPECT_THROW(targets.target(not_cxl), std::out_of_range);
    EXPECT_EQ(devices.set_sut(not_cxl), 0);
    EXPECT_EQ(targets.set_sut(not_cxl), 0);
    EXPECT_EQ(devices.sut()->GetSBDF(), 0x8u);
    EXPECT_EQ(targets.sut().sbdf().sbdf(), 0x8u);

    EXPECT_EQ(devices.set_sut(0x4000), 1);
    EXPECT_EQ(targets.set_sut(0x4000), 1);
    EXPECT_EQ(devices.sut()->GetSBDF(), 0x4000u);
    EXPECT_EQ(targets.sut().sbdf().sbdf(), 0x4000u);
}

sim::ConfigSpace cxl_function() {
    return sim::ConfigBuilder()
        .ids(0x8086, 0x0d93)
        .pcie_cap(PCIE_EP)
        .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
        .build();
}

// The folder lists the functions at 00:01.0 and 3a:00.0 (out of order, one
// twice) among names that are no segment-0 function. Each ignored name has a
// CXL function at the address a careless reading of it would give, which the
// scan must never touch.
TEST_F(EnumerationTest, VisitsOnlyTheListedFunctionsInAddressOrder) {
    struct Ignored {
        const char* name;
        SBDF misread;
    };
    const Ignored ignored[] = {
        {"0001:00:02.0", SBDF(0, 0, 2, 0)},      // another segment
        {"0000:00:03", SBDF(0, 0, 3, 0)},        // no function
        {"0000:00:04.0.old", SBDF(0, 0, 4, 0)},  // trailing text
        {"0000:00:0b.0 ", SBDF(0, 0, 0xb, 0)},   // trailing blank
        {"0000:0:07.0", SBDF(0, 0, 7, 0)},       // short bus
        {"0000:00:0A.0", SBDF(0, 0, 0xa, 0)},    // upper case
        {"0000:00:05.8", SBDF(0, 0, 6, 0)},      // function 8 packs as 00:06.0
        {"0000:00:20.0", SBDF(0, 1, 0, 0)},      // device 32 packs as 01:00.0
        {"00000:00:08.0", SBDF(0, 0, 8, 0)},     // five-digit segment
    };
    std::vector<std::string> listing{".", "..", "pci0000:00", "", "0000:3a:00.0", "0000:00:01.0",
                                     "0000:3a:00.0",
                                     // listed, but the read at offset 0 fails / no function
                                     "0000:00:0c.0", "0000:00:0d.0"};
    for (const Ignored& i : ignored) {
        bus->add_function(i.misread, cxl_function());
        listing.push_back(i.name);
    }
    bus->add_function(SBDF(0, 0x3a, 0, 0), cxl_function());
    bus->add_function(SBDF(0, 0, 1, 0), cxl_function());
    bus->add_function(SBDF(0, 0, 0xc, 0), cxl_function());
    bus->fail_at(sim::AccessKind::config_read, 0, SBDF(0, 0, 0xc, 0));
    sim::ScopedHwioFactory listed(
        [b = bus]() -> std::unique_ptr<core::hwio> { return std::make_unique<sim::SimHwio>(b); },
        listing);

    core::LinuxPCIEDeviceEnumerator enumerator;
    LogCapture log;
    const std::vector<uint32_t> expected{0x0008, 0x3A00};
    EXPECT_EQ(addresses(enumerator.list_of_devices()), expected);
    EXPECT_EQ(addresses(enumerator.list_of_targets()), expected);
    EXPECT_EQ(log.records(), (std::vector<Record>{{info, "CXL device found at: 0:1.0\n\n"},
                                                  {info, "CXL device found at: 3a:0.0\n\n"}}));
    EXPECT_EQ(listed.listings(), 2u);
    for (const sim::Access& a : bus->log()) {
        for (const Ignored& i : ignored) {
            EXPECT_NE(a.sbdf.sbdf(), i.misread.sbdf()) << "read for the name " << i.name;
        }
    }
}

// Reads of configuration space grow with the functions present, none is
// made for an absent one: each scan costs one listing plus the same reads
// per function, where probing every address cost 65,536 reads.
TEST(EnumerationCost, GrowsWithTheFunctionsPresent) {
    LogCapture quiet;
    const std::vector<std::vector<SBDF>> systems{
        {},
        {SBDF(0, 0x0d, 0, 0)},
        {SBDF(0, 0, 1, 0), SBDF(0, 0x0d, 0, 0), SBDF(0, 0xff, 0x1f, 7)},
    };
    std::vector<size_t> reads;
    for (const auto& functions : systems) {
        auto bus = std::make_shared<sim::SimBus>();
        for (const SBDF& f : functions) bus->add_function(f, cxl_function());
        sim::ScopedHwioFactory factory(bus);
        core::LinuxPCIEDeviceEnumerator enumerator;
        EXPECT_EQ(enumerator.list_of_devices().size(), functions.size());
        EXPECT_EQ(enumerator.list_of_targets().size(), functions.size());
        EXPECT_EQ(factory.listings(), 2u);
        for (const sim::Access& a : bus->log()) {
            EXPECT_TRUE(a.ok) << "read of an absent function " << a.sbdf.str();
        }
        reads.push_back(bus->log().size());
    }
    EXPECT_EQ(reads[0], 0u);
    EXPECT_GT(reads[1], 0u);
    EXPECT_EQ(reads[2], 3 * reads[1]);
    EXPECT_LT(reads[2], 1000u);
}

// Nothing is kept from one scan to the next.
TEST_F(EnumerationTest, EachScanListsTheFolderAnew) {
    bus->add_function(SBDF(0, 0x3a, 0, 0), cxl_function());
    core::LinuxPCIEDeviceEnumerator enumerator;
    EXPECT_EQ(addresses(enumerator.list_of_devices()), std::vector<uint32_t>{0x3A00});
    bus->add_function(SBDF(0, 0, 1, 0), cxl_function());
    EXPECT_EQ(addresses(enumerator.list_of_targets()), (std::vector<uint32_t>{0x0008, 0x3A00}));
    EXPECT_EQ(factory.listings(), 2u);
}

TEST_F(EnumerationTest, NoCxlFunctionGivesEmptyPools) {
    bus->add_function(SBDF(0, 0, 2, 0),
                      sim::ConfigBuilder().ids(0x8086, 0x1111).pcie_cap(PCIE_EP).build());
    core::LinuxPCIEDeviceEnumerator enumerator;
    CXLDevicePool devices(enumerator);
    TargetPool targets(enumerator);
    EXPECT_TRUE(devices.empty());
    EXPECT_TRUE(targets.empty());
    EXPECT_EQ(devices.count(), 0);
    EXPECT_TRUE(devices.device_list().empty());
    EXPECT_FALSE(devices.sut());
    EXPECT_FALSE(devices.device(0));
    EXPECT_THROW(targets.sut(), std::out_of_range);
    EXPECT_EQ(devices.set_sut(0), 0);
}

TEST_F(EnumerationTest, TargetCreatorDescribesOneFunction) {
    const SBDF fn(0, 0x3a, 0, 1);
    bus->add_function(fn, sim::ConfigBuilder()
                              .ids(0x8086, 0x0d93)
                              .pcie_cap(UP_SWITCH)
                              .dvsec(PCIE_DVSECFOR_TEST_CAP, 0, 0x24)
                              .build());
    core::TargetCreator creator(fn);
    const core::TargetInformation target = creator.create_target();
    EXPECT_EQ(target.sbdf().sbdf(), fn.sbdf());
    EXPECT_EQ(target.port_type(), UP_SWITCH);
    EXPECT_TRUE(target.iscxl());
    EXPECT_EQ(target.vendor_name(), "");
    EXPECT_EQ(target.vendor_id(), 0);

    core::TargetCreator absent(SBDF(0, 0x77, 0, 0));
    const core::TargetInformation none = absent.create_target();
    EXPECT_FALSE(none.iscxl());
    EXPECT_EQ(static_cast<uint32_t>(none.port_type()), kUnknownPortType);
}

// The functions QEMU emulates: a CXL root port that carries port DVSECs only,
// and the memory device behind it.
TEST_F(EnumerationTest, QemuRootPortIsDroppedAndMemoryDeviceKept) {
    sim::load_lspci_dump(*bus, TARVO_FIXTURE_DIR "/qemu/config-0000_0c_00_0.txt");
    sim::load_lspci_dump(*bus, TARVO_FIXTURE_DIR "/qemu/config-0000_0d_00_0.txt");
    core::LinuxPCIEDeviceEnumerator enumerator;
    CXLDevicePool devices(enumerator);
    TargetPool targets(enumerator);
    const uint32_t memdev = SBDF(0, 0x0d, 0, 0).sbdf();
    EXPECT_EQ(addresses(devices.device_list()), std::vector<uint32_t>{memdev});
    EXPECT_EQ(addresses(targets.target_list()), std::vector<uint32_t>{memdev});
    EXPECT_THROW(targets.target(SBDF(0, 0x0c, 0, 0).sbdf()), std::out_of_range);

    const auto device = devices.sut();
    ASSERT_TRUE(device);
    EXPECT_EQ(device->GetCompType(), PCIE_EP);
    EXPECT_EQ(targets.sut().port_type(), PCIE_EP);
    const auto flags = std::cout.flags();
    testing::internal::CaptureStdout();
    device->DisplayDVSECOffsets();
    std::cout.flags(flags);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DVSEC FOR CXL DEVICE Offset: 0x10c\n");
    EXPECT_EQ(device->GetBARAddr(0), 0xFE600000u);
}

}  // namespace
}  // namespace tarvo
