// HDM data through a Function Level Reset (1.1/CFG/13 and 2/RST/6, one
// procedure) and the AER capability test.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "comptests/reset_tests.hpp"
#include "comptests/v1d1_config_tests.hpp"
#include "sim/resets.hpp"
#include "unit/v11rst/v11_bench.hpp"

namespace v11 {
namespace {

namespace v1d1 = tarvo::compliance::v1d1;
namespace v2d0 = tarvo::compliance::v2d0;
using namespace std::chrono_literals;
using sim::AccessKind;

// Range 1 based at 0x210000000: Base High 2, Base Low bits 31:28 of 1.
constexpr uint64_t kHdm = 0x210000000;
constexpr uint64_t kOriginal = 0x1122334455667788;
constexpr uint64_t kPattern = 0xDEADBEEF;
constexpr uint64_t kDevctl = kPcieCap + 0x08;
const std::string kAt = "0x0000000210000000";

const Record kWriting = info("Write memory with hdm_dummy data");
const Record kInitiating = info("Initiate FLR");

struct Variant {
    const char* name;
    tarvo::TestFunction test;
    const char* cap_read_failed;
    const char* base_high_read_failed;
};
const Variant kVariants[] = {
    {"1.1/CFG/13", v1d1::CFG_13, "Fail to read DVSECFlexBusCap Register",
     "Fail to read DVSECFlexBusRange1BaseHigh_reg"},
    {"2/RST/6", v2d0::RST_6, "Fail to read DVSECFlexBusCap",
     "Fail to read DVSECFlexBusRange1BaseHigh Register"},
};

class HdmFlr : public V11Test {
public:
    // A memory device with range 1 at base, host memory there holding
    // kOriginal, and a Function Level Reset that keeps or clears it.
    void device(sim::FlrMemory memory, uint64_t base = kHdm, bool pcie_cap = true) {
        sim::ConfigBuilder b = pcie_cap ? cxl_device() : sim::ConfigBuilder();
        if (!pcie_cap) b.dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38, CXL_DVSEC_VENDOR_ID, kDvsec);
        b.set(kDvsec + 0x0A, 0x0016, 2);  // IO, Mem, one HDM range
        b.set(kDvsec + 0x20, base >> 32, 4);
        b.set(kDvsec + 0x24, base & 0xF0000000, 4);
        install(b.build());
        faults->clear();
        hdm = bus->find_memory(kHdm, 8);
        if (hdm == nullptr) hdm = &bus->add_memory(kHdm, 0x1000);
        hdm->set64(0, kOriginal);
        flr = std::make_unique<sim::FunctionLevelReset>(*bus, kSut, kPcieCap, memory,
                                                        std::vector<sim::MemRange*>{hdm});
    }

    std::vector<Moved> phys_writes() const { return moved(accesses(AccessKind::phys_write)); }
    std::vector<Moved> config_writes() const { return moved(accesses(AccessKind::config_write)); }

    sim::MemRange* hdm = nullptr;
    std::unique_ptr<sim::FunctionLevelReset> flr;
};

const std::vector<Moved> kPatternAndRestore = {{kHdm, 8, kPattern}, {kHdm, 8, kOriginal}};

TEST_F(HdmFlr, KeptDataPassesClearedDataFailsAndTheMemoryIsPutBack) {
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        device(sim::FlrMemory::kept);
        sleeps.clear();
        EXPECT_EQ(verdict(run(v.test)), passed());
        EXPECT_EQ(records(), (located() + Records{kWriting, kInitiating}));
        EXPECT_EQ(phys_writes(), kPatternAndRestore);
        EXPECT_EQ(config_writes(), (std::vector<Moved>{{kDevctl, 2, 0x8000}}));
        EXPECT_EQ(flr->resets(), 1u);
        EXPECT_EQ(sleeps.waits(), (std::vector<std::chrono::milliseconds>{1000ms}));
        EXPECT_EQ(hdm->get64(0), kOriginal);

        device(sim::FlrMemory::cleared);
        EXPECT_EQ(verdict(run(v.test)),
                  failed("Data wrote to HDM is expected to be preserved through FLR. Written: "
                         "0x00000000deadbeef Read: 0x0000000000000000"));
        EXPECT_EQ(phys_writes(), kPatternAndRestore);
        EXPECT_EQ(hdm->get64(0), kOriginal);
    }
}

TEST_F(HdmFlr, NothingIsWrittenWithoutMemoryOrAtAnUnprogrammedRange) {
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        device(sim::FlrMemory::kept);
        bus->config(kSut).set16(kDvsec + 0x0A, 0x0002);
        EXPECT_EQ(verdict(run(v.test)), skipped("MEM_CAPABLE = 0"));
        EXPECT_EQ(records(), located());

        device(sim::FlrMemory::kept, 0);
        EXPECT_EQ(verdict(run(v.test)),
                  failed("Fail to write to hdm_address: 0x0000000000000000"));
        EXPECT_EQ(records(), located());
        for (auto kind : {AccessKind::phys_read, AccessKind::phys_write}) {
            EXPECT_TRUE(accesses(kind).empty());
        }
        EXPECT_TRUE(config_writes().empty());
    }
}

TEST_F(HdmFlr, AFailureAfterThePatternWriteStillPutsTheMemoryBack) {
    struct Failure {
        const char* name;
        std::function<void(HdmFlr&)> arrange;
        Verdict result;
        Records records;
        std::vector<Moved> writes;
    };
    const Failure failures[] = {
        {"original unreadable",
         [](HdmFlr& t) { t.fail_access(AccessKind::phys_read, kHdm, 1); },
         failed("Fail to read hdm_address: " + kAt), {}, {}},
        {"pattern refused",
         [](HdmFlr& t) { t.fail_access(AccessKind::phys_write, kHdm, 1); },
         failed("Fail to write to hdm_address: " + kAt), {kWriting}, {}},
        {"no PCI Express Capability",
         [](HdmFlr& t) { t.device(sim::FlrMemory::kept, kHdm, false); },
         failed("Fail to find PCIe Capability Structure"), {kWriting, kInitiating},
         kPatternAndRestore},
        {"Device Control refused",
         [](HdmFlr& t) { t.fail_access(AccessKind::config_write, kDevctl, 1); },
         failed("Fail to initiate FLR"), {kWriting, kInitiating}, kPatternAndRestore},
        {"read-back fails",
         [](HdmFlr& t) { t.fail_access(AccessKind::phys_read, kHdm, 2); },
         failed("Fail to read hdm_address: " + kAt), {kWriting, kInitiating}, kPatternAndRestore},
        {"restore refused: the verdict stands",
         [](HdmFlr& t) { t.fail_access(AccessKind::phys_write, kHdm, 2); }, passed(),
         {kWriting, kInitiating, warn("Fail to restore hdm_address: " + kAt)},
         {{kHdm, 8, kPattern}}},
    };
    for (const Variant& v : kVariants) {
        for (const Failure& f : failures) {
            SCOPED_TRACE(std::string(v.name) + ": " + f.name);
            device(sim::FlrMemory::kept);
            f.arrange(*this);
            EXPECT_EQ(verdict(run(v.test)), f.result);
            EXPECT_EQ(records(), located() + f.records);
            EXPECT_EQ(phys_writes(), f.writes);
        }
    }
}

TEST_F(HdmFlr, UnreadableRegistersFailWithTheTextsOfEachTest) {
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const struct {
            uint64_t offset;
            int nth;
            std::string text;
        } unreadable[] = {
            {kDvsec + 0x0A, 2, v.cap_read_failed},
            {kDvsec + 0x24, 1, "Fail to read DVSECFlexBusRange1BaseLow Register."},
            {kDvsec + 0x20, 1, v.base_high_read_failed},
        };
        for (const auto& u : unreadable) {
            device(sim::FlrMemory::kept);
            fail_access(AccessKind::config_read, u.offset, u.nth);
            EXPECT_EQ(verdict(run(v.test)), failed(u.text));
            EXPECT_EQ(records(), located());
            EXPECT_TRUE(accesses(AccessKind::phys_read).empty());
        }
    }
}

TEST_F(HdmFlr, FunctionLevelResetTestNamesTheSharedDescriptionButUsesTheTarget) {
    const tarvo::SBDF other(0, 0x22, 3, 1);
    device(sim::FlrMemory::kept);
    EXPECT_EQ(verdict(run(v2d0::RST_6, other)), passed());
    for (const sim::Access& a : bus->log()) {
        if (a.kind == AccessKind::config_read || a.kind == AccessKind::config_write) {
            EXPECT_EQ(a.sbdf.sbdf(), kSut.sbdf());
        }
    }

    install(plain_device().build());
    EXPECT_EQ(verdict(run(v2d0::RST_6, other)),
              failed("Fail to find PCIe DVSEC for CXL Device at 22:3.1"));
    EXPECT_EQ(verdict(run(v2d0::RST_6, std::nullopt)),
              failed("Fail to find PCIe DVSEC for CXL Device at d:0.0"));
    EXPECT_EQ(verdict(run(v1d1::CFG_13, other)),
              failed("Fail to find PCIe DVSEC for CXL Device at d:0.0"));
}

using AerCapability = V11Test;

TEST_F(AerCapability, FoundAnywhereInTheListPassesSilently) {
    install(cxl_device().build());  // AER after the DVSEC
    EXPECT_EQ(verdict(run(v1d1::CFG_14)), passed("AER Extended Capability Structure Found"));
    EXPECT_TRUE(records().empty());

    install(plain_device().build());
    EXPECT_EQ(verdict(run(v1d1::CFG_14)), failed("AER Extended Capability Structure Not Found"));
    EXPECT_TRUE(records().empty());
}

}  // namespace
}  // namespace v11
