// The CXL Reset test on a simulated device with a component register block
// holding CXL RAS and Link capabilities, and a CXL Reset behind DVSEC CXL
// Control2.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/cxl_types.hpp"
#include "comptests/reset_tests.hpp"
#include "sim/register_blocks.hpp"
#include "sim/resets.hpp"
#include "unit/v11rst/v11_bench.hpp"

namespace v11 {
namespace {

namespace v2d0 = tarvo::compliance::v2d0;
using namespace std::chrono_literals;
using sim::AccessKind;

// BAR 0 at 0xF0000000; the component block 64 KiB in (offset low 1).
constexpr uint64_t kBar = 0xF0000000;
constexpr uint64_t kComponent = 0xF0010000;
constexpr uint64_t kCacheMem = 0xF0011000;
constexpr uint16_t kRasPointer = 0x80;
constexpr uint16_t kLinkPointer = 0xD8;
constexpr uint64_t kRas = kCacheMem + kRasPointer;
constexpr uint64_t kLink = kCacheMem + kLinkPointer;

// Register values before the test, and what the test programs.
constexpr uint32_t kErrorControl = 0x0205;  // First_Error_Pointer 5, multiple headers
constexpr uint32_t kSeverity = 0x0001CFFF;
constexpr uint32_t kCorrectableMask = 0x7F;
constexpr uint64_t kRxCredits = 0x3FFull | 0x3FFull << 10 | 0x3FFull << 20 | 0x3FFull << 30 |
                                0x3FFull << 40;

const std::vector<Moved> kProgrammed = {
    {kRas + 0x04, 4, 0x1FFFF},  // an Uncorrectable Error Mask of 0 becomes 0x1FFFF
    {kRas + 0x08, 4, 0x1FFFF},
    {kRas + 0x10, 4, 0},
    {kRas + 0x14, 4, kErrorControl | 0x2000},
    {kLink + 0x00, 8, 0xFF02},
    {kLink + 0x08, 8, 0x6},
    {kLink + 0x10, 8, kRxCredits},
    {kLink + 0x28, 8, 0x1FFFF},
    {kLink + 0x30, 8, 0x1},
};
// What the programmed registers held, put back last first.
const std::vector<Moved> kRestored = {
    {kLink + 0x30, 8, 0}, {kLink + 0x28, 8, 0}, {kLink + 0x10, 8, 0},
    {kLink + 0x08, 8, 0}, {kLink + 0x00, 8, 0}, {kRas + 0x14, 4, kErrorControl},
    {kRas + 0x10, 4, kCorrectableMask}, {kRas + 0x08, 4, kSeverity}, {kRas + 0x04, 4, 0},
};

const Record kLaunch = info("14.9.7 CXL Reset Test");
const Records kLocator = {info("Reading Register Locator DVSEC offset"),
                          info("Reading DVSEC Header1 for DVSEC Length information")};
const Record kReached = info("T1 Timeout value reached");

struct Layout {
    unsigned timeout = 2;  // CXL Reset Timeout code
    bool capable = true;
    std::vector<sim::RegisterBlockEntry> entries = {{0, RBI_COMPONENT_REGISTER, 0x10000}};
    std::vector<sim::CacheMemCapability> caps = {{CXL_RAS_CAPABILITY, 2, kRasPointer},
                                                 {CXL_LINK_CAPABILITY, 2, kLinkPointer}};
    sim::CxlResetOutcome outcome = sim::CxlResetOutcome::completes;
};

class CxlResetTest : public V11Test {
public:
    void device(const Layout& s = Layout()) {
        sim::ConfigBuilder b = cxl_device();
        b.set(kDvsec + 0x0A, 0x0016 | (s.capable ? 0x80 : 0) | s.timeout << 8, 2);
        b.bar(0, kBar, 0x20000, true);
        sim::register_locator(b, s.entries);
        install(b.build());
        faults->clear();
        reset.reset();
        reset = std::make_unique<sim::CxlReset>(*bus, kSut, kDvsec, s.outcome);
        // One block for the fixture; each device starts it from zeros.
        if (!block) {
            block = std::make_unique<sim::RegisterBlock>(
                sim::add_component_block(*bus, kComponent, {}));
        }
        block->registers().set_bytes(0, std::vector<uint8_t>(sim::kComponentBlockSize, 0));
        write_headers(s.caps);
        sim::RegisterSpace& regs = block->registers();
        // The RAS and Link structures: writable, Link registers 64 bits wide.
        regs.set_attr_range(sim::kCacheMemOffset + kRasPointer, 0x58, sim::BitAttr::rw);
        regs.set_attr_range(sim::kCacheMemOffset + kLinkPointer, 0x38, sim::BitAttr::rw);
        block->set_rule(sim::kCacheMemOffset + kLinkPointer, 0x38, sim::WidthRule::dword_qword);
        regs.set32(sim::kCacheMemOffset + kRasPointer + 0x08, kSeverity);
        regs.set32(sim::kCacheMemOffset + kRasPointer + 0x10, kCorrectableMask);
        regs.set32(sim::kCacheMemOffset + kRasPointer + 0x14, kErrorControl);
        for (unsigned i = 0; i < 16; ++i) {
            regs.set32(sim::kCacheMemOffset + kRasPointer + 0x18 + 4 * i, 0xA0 + i);
        }
    }

    std::vector<Moved> mmio_writes() const { return moved(accesses(AccessKind::mmio_write)); }

    std::unique_ptr<sim::RegisterBlock> block;
    std::unique_ptr<sim::CxlReset> reset;

private:
    // The CXL Capability Header and one header per capability.
    void write_headers(const std::vector<sim::CacheMemCapability>& caps) {
        sim::RegisterSpace& regs = block->registers();
        regs.set32(sim::kCacheMemOffset, CXL_CAPABILITY | 1u << 16 | 1u << 20 |
                                             static_cast<uint32_t>(caps.size()) << 24);
        for (size_t i = 0; i < caps.size(); ++i) {
            regs.set32(sim::kCacheMemOffset + 4 * (i + 1),
                       caps[i].id | uint32_t{caps[i].version} << 16 |
                           uint32_t{caps[i].pointer} << 20);
        }
    }
};

TEST_F(CxlResetTest, ProgramsRasAndLinkStartsTheResetAndPassesWhenItCompletes) {
    device();
    EXPECT_EQ(verdict(run(v2d0::RST_7)), passed());
    EXPECT_EQ(records(), Records{kLaunch} + kLocator + Records{kReached});
    EXPECT_EQ(mmio_writes(), kProgrammed);
    EXPECT_EQ(moved(accesses(AccessKind::config_write)),
              (std::vector<Moved>{{kDvsec + 0x10, 2, 0x0004}}));
    EXPECT_EQ(reset->resets(), 1u);
    EXPECT_EQ(sleeps.waits(), (std::vector<std::chrono::milliseconds>{1000ms}));

    // The header log is read dword by dword before anything is written.
    std::vector<uint64_t> reads;
    for (const sim::Access& a : accesses(AccessKind::mmio_read)) reads.push_back(a.address);
    const std::vector<uint64_t> expected_start = {kCacheMem, kCacheMem + 4, kCacheMem + 8,
                                                  kRas + 0x14, kRas + 0x18, kRas + 0x1C};
    ASSERT_GE(reads.size(), expected_start.size() + 14);
    EXPECT_EQ(std::vector<uint64_t>(reads.begin(), reads.begin() + 6), expected_start);
    EXPECT_EQ(reads[3 + 16], kRas + 0x54);
}

TEST_F(CxlResetTest, WaitsTheTimeItsTimeoutCodeEncodes) {
    const std::chrono::milliseconds t1[] = {10ms, 100ms, 1s, 10s, 100s};
    for (unsigned code = 0; code <= 4; ++code) {
        SCOPED_TRACE(code);
        Layout s;
        s.timeout = code;
        device(s);
        sleeps.clear();
        EXPECT_EQ(verdict(run(v2d0::RST_7)), passed());
        EXPECT_EQ(sleeps.waits(), (std::vector<std::chrono::milliseconds>{t1[code]}));
    }
}

TEST_F(CxlResetTest, ResetStatusAfterTheWaitDecides) {
    struct Outcome {
        sim::CxlResetOutcome outcome;
        Verdict result;
    };
    const Outcome outcomes[] = {
        {sim::CxlResetOutcome::reports_error, failed("CXL Reset Error set after CXL Reset\n")},
        {sim::CxlResetOutcome::never_completes, failed("CXL Reset Complete not set after T1\n")},
    };
    for (const Outcome& o : outcomes) {
        Layout s;
        s.outcome = o.outcome;
        device(s);
        EXPECT_EQ(verdict(run(v2d0::RST_7)), o.result);
        EXPECT_EQ(records(), Records{kLaunch} + kLocator + Records{kReached});
        // The reset owns the registers once started: nothing is put back.
        EXPECT_EQ(mmio_writes(), kProgrammed);
    }
}

TEST_F(CxlResetTest, RefusedBeforeAnyComponentRegisterIsTouched) {
    struct Refusal {
        const char* name;
        Layout setup;
        Verdict result;
        Records records;
    };
    Layout incapable;
    incapable.capable = false;
    Layout code5;
    code5.timeout = 5;
    Layout no_component;
    no_component.entries = {{0, RBI_CXL_MEM_DEV_REGISTER, 0x10000}, {0, RBI_EMPTY, 0}};
    Layout no_bar;  // BAR 2 is not implemented
    no_bar.entries = {{2, RBI_COMPONENT_REGISTER, 0x10000}};
    Layout no_ras;
    no_ras.caps = {{CXL_LINK_CAPABILITY, 2, kLinkPointer}};
    Layout no_link;
    no_link.caps = {{CXL_RAS_CAPABILITY, 2, kRasPointer}, {CXL_LINK_CAPABILITY, 2, 0}};
    const Refusal refusals[] = {
        {"not capable", incapable, failed("Device doesn't support CXL reset.\n"), {kLaunch}},
        {"timeout code 5", code5,
         failed("T1 0x5 is not allowed to be >100b when CXL Reset Capable is 0x1\n"), {kLaunch}},
        {"no component entry", no_component, failed("Component Register not found\n"),
         Records{kLaunch} + kLocator},
        {"undecodable BAR", no_bar, failed("Component Register not found\n"),
         Records{kLaunch} + kLocator},
        {"no RAS capability", no_ras, failed("CXL RAS Capability not found\n"),
         Records{kLaunch} + kLocator},
        {"Link capability without a structure", no_link,
         failed("CXL Link Capability not found\n"), Records{kLaunch} + kLocator},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        device(r.setup);
        EXPECT_EQ(verdict(run(v2d0::RST_7)), r.result);
        EXPECT_EQ(records(), r.records);
        EXPECT_TRUE(mmio_writes().empty());
        EXPECT_TRUE(accesses(AccessKind::config_write).empty());
        EXPECT_TRUE(sleeps.waits().empty());
    }
}

TEST_F(CxlResetTest, FindsTheComponentEntryAmongSeveralAndAtItsOffset) {
    Layout s;
    // Length 0x24: three entries, the component registers in the third.
    s.entries = {{0, RBI_CXL_MEM_DEV_REGISTER, 0}, {0, RBI_EMPTY, 0},
                 {0, RBI_COMPONENT_REGISTER, 0x10000}};
    device(s);
    EXPECT_EQ(verdict(run(v2d0::RST_7)), passed());
    EXPECT_EQ(accesses(AccessKind::mmio_read).front().address, kCacheMem);
}

TEST_F(CxlResetTest, EndingBeforeTheResetPutsTheProgrammedRegistersBack) {
    struct Late {
        const char* name;
        AccessKind kind;
        uint64_t offset;
        int nth;
        Verdict result;
    };
    // Accesses of the Control2 dword: its read, then the write's own read.
    const Late lates[] = {
        {"Control2 unreadable", AccessKind::config_read, kDvsec + 0x10, 1,
         failed("Fail to read DVSECFlexBusControl2\n")},
        {"Control2 refused", AccessKind::config_write, kDvsec + 0x10, 1,
         failed("Fail to Write DVSECFlexBusControl2\n")},
    };
    for (const Late& l : lates) {
        SCOPED_TRACE(l.name);
        device();
        fail_access(l.kind, l.offset, l.nth);
        EXPECT_EQ(verdict(run(v2d0::RST_7)), l.result);
        EXPECT_EQ(mmio_writes(), kProgrammed + kRestored);
        EXPECT_EQ(block->registers().get32(sim::kCacheMemOffset + kRasPointer + 0x08), kSeverity);
        EXPECT_EQ(reset->resets(), 0u);
        EXPECT_TRUE(sleeps.waits().empty());
    }
}

TEST_F(CxlResetTest, StatusUnreadableAroundTheWaitFails) {
    // Reads covering Status2: the Control2 read, the write's own read, then
    // the status reads before and after the wait.
    for (int nth : {3, 4}) {
        SCOPED_TRACE(nth);
        device();
        sleeps.clear();
        fail_access(AccessKind::config_read, kDvsec + 0x12, nth, 1);
        EXPECT_EQ(verdict(run(v2d0::RST_7)), failed("Fail to read DVSECCXLStatus2_reg\n"));
        EXPECT_EQ(sleeps.waits().size(), nth == 3 ? 0u : 1u);
        EXPECT_EQ(reset->resets(), 1u);
    }
}

TEST_F(CxlResetTest, UnreadableRegistersAreNotWrittenAndOthersStillAre) {
    device();
    fail_access(AccessKind::mmio_read, kRas + 0x04, 1);
    fail_access(AccessKind::mmio_read, kLink + 0x10, 1);
    EXPECT_EQ(verdict(run(v2d0::RST_7)), passed());
    std::vector<Moved> expected;
    for (const Moved& m : kProgrammed) {
        if (m.address != kRas + 0x04 && m.address != kLink + 0x10) expected.push_back(m);
    }
    EXPECT_EQ(mmio_writes(), expected);

    device();
    fail_access(AccessKind::mmio_read, kCacheMem, 1);
    EXPECT_EQ(verdict(run(v2d0::RST_7)),
              failed("Fail to read CXL.cache and CXL.mem Registers\n"));
    EXPECT_TRUE(mmio_writes().empty());
}

}  // namespace
}  // namespace v11
