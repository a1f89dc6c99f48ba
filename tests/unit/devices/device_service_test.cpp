// The device service over simulated hosts.

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

#include "api/devicedirectory.hpp"
#include "sim/config_builder.hpp"
#include "sim/sim_hwio.hpp"
#include "unit/model/log_capture.hpp"

namespace tarvo {
namespace {

class DeviceServiceTest : public ::testing::Test {
protected:
    LogCapture quiet;  // keeps the records off the console
    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    sim::ScopedHwioFactory factory{bus};
    TarvoDeviceServices service;
};

TEST_F(DeviceServiceTest, EnumeratesOnceAtTheFirstRequest) {
    for (const SBDF at : {SBDF(0, 0x3a, 0, 0), SBDF(0, 0x0d, 0, 0)}) {
        bus->add_function(at, sim::ConfigBuilder()
                                  .ids(0x8086, 0x0d93)
                                  .pcie_cap(PCIE_EP)
                                  .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
                                  .build());
    }
    EXPECT_EQ(factory.created(), 0u);  // nothing before a request
    const auto devices = service.devices();
    const unsigned after_first = factory.created();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].sbdf.sbdf(), 0x0D00u);
    EXPECT_EQ(devices[0].vendor_name, "Unknown vendor");
    EXPECT_EQ(devices[0].device_name, "CXL Device");
    EXPECT_EQ(devices[0].vendor_id, 0x8086);

    // A function added later is not seen: there is no rescan.
    bus->add_function(SBDF(0, 0x01, 0, 0), sim::ConfigBuilder()
                                               .ids(0x8086, 0x0d93)
                                               .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
                                               .build());
    EXPECT_EQ(service.devices().size(), 2u);
    EXPECT_EQ(service.current_sut().sbdf.sbdf(), 0x0D00u);
    EXPECT_EQ(service.current_sut_target().sbdf().sbdf(), 0x0D00u);

    EXPECT_TRUE(service.set_sut(SBDF(0, 0x3a, 0, 0)));
    EXPECT_EQ(service.current_sut().sbdf.sbdf(), 0x3A00u);
    EXPECT_EQ(service.current_sut_target().sbdf().sbdf(), 0x3A00u);
    ASSERT_TRUE(service.sut_device());
    EXPECT_EQ(service.sut_device()->GetSBDF(), 0x3A00u);
    // Every later request works from the same enumeration; only lookups of
    // its own make hardware-access objects, and none was asked for.
    EXPECT_EQ(factory.created(), after_first);
}

TEST_F(DeviceServiceTest, UnknownAddressKeepsTheSelection) {
    bus->add_function(SBDF(0, 0x0d, 0, 0), sim::ConfigBuilder()
                                               .ids(0x8086, 0x0d93)
                                               .dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38)
                                               .build());
    std::cout << std::dec;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(service.set_sut(SBDF(0, 0x0c, 0, 0)));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\x1b[31mNo CXL device at c:0.0; the device under test is unchanged.\x1b[0m\n");
    EXPECT_EQ(service.current_sut().sbdf.sbdf(), 0x0D00u);
    EXPECT_FALSE(std::cout.flags() & std::ios_base::hex);
}

TEST_F(DeviceServiceTest, NoDeviceGivesDefaultsWithoutThrowing) {
    EXPECT_TRUE(service.devices().empty());
    EXPECT_EQ(service.current_sut().sbdf.sbdf(), 0u);
    EXPECT_NO_THROW(service.current_sut_target());
    EXPECT_FALSE(service.current_sut_target().iscxl());
    EXPECT_FALSE(service.sut_device());
}

}  // namespace
}  // namespace tarvo
