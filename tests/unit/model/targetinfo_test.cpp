#include <gtest/gtest.h>

#include "core/devices/deviceinfo.hpp"
#include "core/devices/targetinformation.hpp"

using namespace tarvo;
using namespace tarvo::core;

TEST(TargetInformation, DefaultIsAnEmptyNonCxlEndpointAtZero) {
    TargetInformation t;
    EXPECT_EQ(t.sbdf().sbdf(), 0u);
    EXPECT_EQ(t.sbdf().str(), "0:0.0");
    EXPECT_EQ(t.port_type(), PCIE_EP);
    EXPECT_FALSE(t.iscxl());
    EXPECT_EQ(t.vendor_name(), "");
    EXPECT_EQ(t.vendor_id(), 0);
    EXPECT_EQ(t.phys_speed(), GT16);
    EXPECT_EQ(t.cxl_type(), type1);
}

TEST(TargetInformation, FullConstructorAndCopyKeepEveryField) {
    TargetInformation t("V", "D", 0x1E98, 0x0d93, "fw1", GT32, x16, swch, edsff, true, "2.0",
                        RCIEP, type3, true, false, SBDF(0, 0x3a, 1, 2), true);
    TargetInformation c;
    c = t;
    for (const TargetInformation* p : {&t, &c}) {
        EXPECT_EQ(p->vendor_name(), "V");
        EXPECT_EQ(p->device_name(), "D");
        EXPECT_EQ(p->vendor_id(), 0x1E98);
        EXPECT_EQ(p->device_id(), 0x0d93);
        EXPECT_EQ(p->firmware_rev(), "fw1");
        EXPECT_EQ(p->phys_speed(), GT32);
        EXPECT_EQ(p->link_width(), x16);
        EXPECT_EQ(p->ttype(), swch);
        EXPECT_EQ(p->ffactor(), edsff);
        EXPECT_TRUE(p->adapter());
        EXPECT_EQ(p->spec(), "2.0");
        EXPECT_EQ(p->port_type(), RCIEP);
        EXPECT_EQ(p->cxl_type(), type3);
        EXPECT_TRUE(p->ismem2());
        EXPECT_FALSE(p->issec2());
        EXPECT_EQ(p->sbdf().str(), "3a:1.2");
        EXPECT_TRUE(p->iscxl());
    }
    DeviceInformation d{};
    EXPECT_EQ(d.sbdf.sbdf(), 0u);
    EXPECT_EQ(d.vendor_id, 0);
}
