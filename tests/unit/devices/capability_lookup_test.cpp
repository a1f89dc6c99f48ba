// Capability, extended-capability and DVSEC lookup through io::OffsetRetriever
// and through the device component, on a simulated function.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/devices/devcomp.hpp"
#include "core/io/offset_retriever.hpp"
#include "unit/devices/config_layout.hpp"
#include "sim/sim_hwio.hpp"

namespace tarvo {
namespace {

using devtest::cap;
using devtest::cxl_dvsec;
using devtest::dvsec;
using devtest::ext;
using sim::AccessKind;

const SBDF kFn(0, 0x3a, 0, 1);
constexpr uint64_t kUntouched = 0x5A5A;

class LookupTest : public ::testing::Test {
protected:
    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    sim::ScopedHwioFactory factory{bus};
    sim::ConfigSpace& cfg = bus->add_function(kFn);
    core::TargetInformation target = devtest::target_at(kFn);
    io::OffsetRetriever retriever{target};

    size_t config_reads() const { return bus->log_of(AccessKind::config_read).size(); }

    // Every offset read, each at most once: a walk never comes back.
    void expect_no_offset_read_twice() const {
        std::vector<uint64_t> seen;
        for (const auto& access : bus->log_of(AccessKind::config_read)) {
            for (uint64_t s : seen) {
                EXPECT_NE(s, access.address) << "offset read twice";
            }
            seen.push_back(access.address);
        }
    }
};

TEST_F(LookupTest, UnreadableFunctionFailsEveryLookup) {
    core::TargetInformation absent = devtest::target_at(SBDF(0, 0x10, 2, 0));
    io::OffsetRetriever none(absent);
    uint64_t offset = kUntouched;
    std::vector<uint64_t> offsets;
    EXPECT_EQ(none.capability_offset(PCIE_CAP_STRUCTURE, offset), -1);
    EXPECT_EQ(none.ext_capability_offset(DOE_CAP_ID, offset), -1);
    EXPECT_EQ(none.ext_capability_offsets(DOE_CAP_ID, offsets), -1);
    EXPECT_EQ(none.dvsec_offset(PCIE_DVSEC_FOR_CXL_DEV, offset), -1);
    EXPECT_EQ(offset, kUntouched);
    EXPECT_TRUE(offsets.empty());
}

TEST_F(LookupTest, CapabilityWalkFollowsMaskedPointers) {
    cfg.set8(0x34, 0x43);  // the first pointer is masked like every other
    cap(cfg, 0x40, 0x01, 0x4B);
    cap(cfg, 0x48, 0x05, 0x60);
    cap(cfg, 0x60, PCIE_CAP_STRUCTURE, 0x00);
    uint64_t offset = 0;
    ASSERT_EQ(retriever.capability_offset(PCIE_CAP_STRUCTURE, offset), 0);
    EXPECT_EQ(offset, 0x60u);
    cap(cfg, 0x60, 0x11, 0x00);
    offset = kUntouched;
    EXPECT_EQ(retriever.capability_offset(PCIE_CAP_STRUCTURE, offset), -1);
    EXPECT_EQ(offset, kUntouched);
}

TEST_F(LookupTest, CapabilityPointerOfZeroReadsNoEntry) {
    uint64_t offset = kUntouched;
    EXPECT_EQ(retriever.capability_offset(PCIE_CAP_STRUCTURE, offset), -1);
    EXPECT_EQ(config_reads(), 1u);
    EXPECT_EQ(offset, kUntouched);
}

TEST_F(LookupTest, MalformedCapabilityListsEndAsNotFound) {
    struct Case {
        const char* what;
        std::function<void(sim::ConfigSpace&)> layout;
    };
    const Case cases[] = {
        {"loop back to the first entry",
         [](sim::ConfigSpace& c) {
             c.set8(0x34, 0x40);
             cap(c, 0x40, 0x01, 0x50);
             cap(c, 0x50, 0x05, 0x40);
         }},
        {"entry that points to itself",
         [](sim::ConfigSpace& c) {
             c.set8(0x34, 0x40);
             cap(c, 0x40, 0x01, 0x40);
         }},
        {"pointer into the header",
         [](sim::ConfigSpace& c) {
             c.set8(0x34, 0x40);
             cap(c, 0x40, 0x01, 0x10);
             cap(c, 0x10, PCIE_CAP_STRUCTURE, 0x00);
         }},
        {"first pointer into the header",
         [](sim::ConfigSpace& c) {
             c.set8(0x34, 0x08);
             cap(c, 0x08, PCIE_CAP_STRUCTURE, 0x00);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bus->add_function(kFn);
        bus->clear_log();
        c.layout(bus->config(kFn));
        uint64_t offset = kUntouched;
        EXPECT_EQ(retriever.capability_offset(PCIE_CAP_STRUCTURE, offset), -1);
        EXPECT_EQ(offset, kUntouched);
        expect_no_offset_read_twice();
    }
}

TEST_F(LookupTest, EmptyExtendedSpaceFailsEveryExtendedLookup) {
    uint64_t offset = kUntouched;
    std::vector<uint64_t> offsets{0x999};
    EXPECT_EQ(retriever.ext_capability_offset(DOE_CAP_ID, offset), -1);
    EXPECT_EQ(retriever.ext_capability_offsets(DOE_CAP_ID, offsets), -1);
    EXPECT_EQ(retriever.dvsec_offset(PCIE_DVSEC_FOR_CXL_DEV, offset), -1);
    EXPECT_EQ(offset, kUntouched);
    EXPECT_EQ(offsets, std::vector<uint64_t>{0x999});
}

TEST_F(LookupTest, ExtendedWalkFindsFirstAndAllMatches) {
    ext(cfg, 0x100, AER_CAP_ID, 0x150);
    ext(cfg, 0x150, DOE_CAP_ID, 0x1A3);  // low bits of the next offset are dropped
    ext(cfg, 0x1A0, 0x0B, 0x200);
    ext(cfg, 0x200, DOE_CAP_ID, 0x000);
    uint64_t offset = 0;
    ASSERT_EQ(retriever.ext_capability_offset(DOE_CAP_ID, offset), 0);
    EXPECT_EQ(offset, 0x150u);
    std::vector<uint64_t> offsets{0x10};  // not cleared first
    EXPECT_EQ(retriever.ext_capability_offsets(DOE_CAP_ID, offsets), 0);
    EXPECT_EQ(offsets, (std::vector<uint64_t>{0x10, 0x150, 0x200}));
    offsets.clear();
    EXPECT_EQ(retriever.ext_capability_offsets(PCIE_CAP_STRUCTURE, offsets), 0);
    EXPECT_TRUE(offsets.empty());
}

TEST_F(LookupTest, MalformedExtendedListsEndAsNotFound) {
    struct Case {
        const char* what;
        std::function<void(sim::ConfigSpace&)> layout;
    };
    const Case cases[] = {
        {"loop back to 0x100",
         [](sim::ConfigSpace& c) {
             ext(c, 0x100, AER_CAP_ID, 0x140);
             ext(c, 0x140, 0x0B, 0x100);
         }},
        {"header that points to itself", [](sim::ConfigSpace& c) { ext(c, 0x100, 0x0B, 0x100); }},
        {"next offset below 0x100",
         [](sim::ConfigSpace& c) {
             ext(c, 0x100, AER_CAP_ID, 0x080);
             ext(c, 0x080, DOE_CAP_ID, 0x000);
         }},
        {"header of all ones", [](sim::ConfigSpace& c) { c.set32(0x100, 0xFFFFFFFF); }},
        {"null header inside the list",
         [](sim::ConfigSpace& c) { ext(c, 0x100, AER_CAP_ID, 0x180); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bus->add_function(kFn);
        bus->clear_log();
        c.layout(bus->config(kFn));
        uint64_t offset = kUntouched;
        EXPECT_EQ(retriever.ext_capability_offset(DOE_CAP_ID, offset), -1);
        EXPECT_EQ(retriever.dvsec_offset(PCIE_DVSEC_FOR_CXL_DEV, offset), -1);
        EXPECT_EQ(offset, kUntouched);
        std::vector<uint64_t> offsets;
        retriever.ext_capability_offsets(DOE_CAP_ID, offsets);
        EXPECT_TRUE(offsets.empty());
        bus->clear_log();
        retriever.ext_capability_offset(DOE_CAP_ID, offset);
        expect_no_offset_read_twice();
    }
}

TEST_F(LookupTest, DvsecMatchesCxlVendorAndId) {
    dvsec(cfg, 0x100, 0x8086, PCIE_DVSEC_FOR_CXL_DEV, 0x140);  // another vendor's ID 0
    cxl_dvsec(cfg, 0x140, REG_LOCATOR_DVSEC, 0x180);
    ext(cfg, 0x180, DOE_CAP_ID, 0x1C0);
    cxl_dvsec(cfg, 0x1C0, PCIE_DVSEC_FOR_CXL_DEV, 0x000);
    uint64_t offset = 0;
    ASSERT_EQ(retriever.dvsec_offset(PCIE_DVSEC_FOR_CXL_DEV, offset), 0);
    EXPECT_EQ(offset, 0x1C0u);
    ASSERT_EQ(retriever.dvsec_offset(REG_LOCATOR_DVSEC, offset), 0);
    EXPECT_EQ(offset, 0x140u);
    offset = kUntouched;
    EXPECT_EQ(retriever.dvsec_offset(CXL_MLD_DVSEC, offset), -1);
    EXPECT_EQ(offset, kUntouched);
}

TEST_F(LookupTest, UnreadableDvsecHeaderEndsTheLookup) {
    dvsec(cfg, 0x100, 0x8086, PCIE_DVSEC_FOR_CXL_DEV, 0x140);
    cxl_dvsec(cfg, 0x140, PCIE_DVSEC_FOR_CXL_DEV, 0x000);
    bus->fail_at(AccessKind::config_read, 0x108, kFn);  // first DVSEC's header 2
    uint64_t offset = kUntouched;
    EXPECT_EQ(retriever.dvsec_offset(PCIE_DVSEC_FOR_CXL_DEV, offset), -1);
    EXPECT_EQ(offset, kUntouched);
}

TEST_F(LookupTest, EachLookupMakesItsOwnHardwareAccess) {
    cxl_dvsec(cfg, 0x100, PCIE_DVSEC_FOR_CXL_DEV, 0x000);
    const unsigned before = factory.created();
    uint64_t offset = 0;
    retriever.dvsec_offset(PCIE_DVSEC_FOR_CXL_DEV, offset);
    retriever.ext_capability_offset(DVSEC_CAP_ID, offset);
    EXPECT_EQ(factory.created(), before + 2);
}

// The device component runs the same walks through its own hardware access.
class DevCompLookupTest : public LookupTest {
protected:
    std::shared_ptr<core::DevComp> device(int debug = 0) {
        return std::make_shared<core::DevComp>(kFn.seg(), kFn.bus(), kFn.dev(), kFn.fun(), 0x8086,
                                               std::make_shared<sim::SimHwio>(bus),
                                               "Unknown vendor", "CXL Device", RCIEP, debug);
    }
};

TEST_F(DevCompLookupTest, WalksMatchTheRetriever) {
    cfg.set8(0x34, 0x40);
    cap(cfg, 0x40, PCIE_CAP_STRUCTURE, 0x00);
    ext(cfg, 0x100, DOE_CAP_ID, 0x150);
    ext(cfg, 0x150, DOE_CAP_ID, 0x180);
    cxl_dvsec(cfg, 0x180, PCIE_DVSECFOR_TEST_CAP, 0x000);
    auto dev = device();
    uint64_t offset = 0;
    ASSERT_EQ(dev->GetCapabilityOffset(PCIE_CAP_STRUCTURE, offset), 0);
    EXPECT_EQ(offset, 0x40u);
    ASSERT_EQ(dev->GetExtCapabilityOffset(DOE_CAP_ID, offset), 0);
    EXPECT_EQ(offset, 0x100u);
    ASSERT_EQ(dev->GetDVSECOffset(PCIE_DVSECFOR_TEST_CAP, offset), 0);
    EXPECT_EQ(offset, 0x180u);
    std::vector<uint32_t> caps;
    EXPECT_EQ(dev->GetExtCapabilityOffsets(DOE_CAP_ID, caps), 0);
    EXPECT_EQ(caps, (std::vector<uint32_t>{0x100, 0x150}));
    caps = {0x7};
    EXPECT_EQ(dev->GetExtCapabilityOffsets(AER_CAP_ID, caps), -1);  // nothing appended
    EXPECT_EQ(caps, std::vector<uint32_t>{0x7});
}

TEST_F(DevCompLookupTest, NullHeaderLeavesOffsetsUnchanged) {
    std::vector<uint32_t> caps{0x44};
    EXPECT_EQ(device()->GetExtCapabilityOffsets(DOE_CAP_ID, caps), -1);
    EXPECT_EQ(caps, std::vector<uint32_t>{0x44});
}

TEST_F(DevCompLookupTest, DebugLevelTwoPrintsTheDvsecWalk) {
    dvsec(cfg, 0x100, 0x8086, PCIE_DVSEC_FOR_CXL_DEV, 0x140);
    cxl_dvsec(cfg, 0x140, PCIE_DVSEC_FOR_CXL_DEV, 0x000);
    uint64_t offset = 0;
    testing::internal::CaptureStdout();
    const std::ios_base::fmtflags flags = std::cout.flags();
    EXPECT_EQ(device(2)->GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, offset), 0);
    std::cout.flags(flags);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "GetDVSECOffset  Total loop count = 960\n"
              "Vendor_ID Expected: 1e98 val: 8086\n"
              "DVSEC_ID Expected: 0 val: 0\n"
              "Vendor_ID Expected: 1e98 val: 1e98\n"
              "DVSEC_ID Expected: 0 val: 0\n");

    bus->add_function(kFn);  // now empty: the header reads 0
    testing::internal::CaptureStdout();
    EXPECT_EQ(device(2)->GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, offset), -1);
    std::cout.flags(flags);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "GetDVSECOffset  Total loop count = 960\nGetDVSECOffset Null CapHeader fail\n");

    bus->fail_at(AccessKind::config_read, 0x100, kFn);
    testing::internal::CaptureStdout();
    EXPECT_EQ(device(2)->GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, offset), -1);
    std::cout.flags(flags);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "GetDVSECOffset  Total loop count = 960\nGetDVSECOffset ReadPCI cap offset fail \n");

    testing::internal::CaptureStdout();
    device(0)->GetDVSECOffset(PCIE_DVSEC_FOR_CXL_DEV, offset);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace tarvo
