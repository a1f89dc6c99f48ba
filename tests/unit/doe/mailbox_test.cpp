// The simulated DOE mailbox on its own, driven by plain configuration
// accesses: what other tests rely on beyond what the transport exercises.
#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>
#include <vector>

#include "unit/doe/doe_support.hpp"

namespace {

using namespace tarvo;
using namespace tarvo::sim;

const SBDF kFn(0, 0x0d, 0, 0);
constexpr uint32_t kCap = 0x100;

class SimMailbox : public ::testing::Test {
protected:
    void SetUp() override { bus->add_function(kFn, ConfigBuilder().doe().build()); }

    uint32_t read(uint32_t reg) {
        unsigned char b[4] = {};
        EXPECT_EQ(io.ReadPCI(b, 0, 0x0d, 0, 0, static_cast<int>(kCap + reg), 4), 1);
        return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    }
    void write(uint32_t reg, uint32_t v) {
        unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                              static_cast<unsigned char>(v >> 16),
                              static_cast<unsigned char>(v >> 24)};
        EXPECT_EQ(io.WritePCI(b, 0, 0x0d, 0, 0, static_cast<int>(kCap + reg), 4), 1);
    }
    void send(const std::vector<uint32_t>& request) {
        for (const uint32_t dw : request) {
            write(kDoeWriteMailbox, dw);
        }
        write(kDoeControl, kDoeGoBit);
    }

    std::shared_ptr<SimBus> bus = std::make_shared<SimBus>();
    SimHwio io{bus};
};

TEST_F(SimMailbox, AbortDropsTheResponseAndClearsError) {
    DoeMailbox mailbox(*bus, kFn, kCap);
    send({0x00001E98, 3, 0});  // no Compliance responder: Error
    EXPECT_EQ(read(kDoeStatus), kDoeErrorBit);

    send({0x00000001, 3, 0});
    EXPECT_EQ(read(kDoeStatus), kDoeErrorBit | kDoeReadyBit);
    EXPECT_EQ(read(kDoeReadMailbox), 0x00000001u);
    write(kDoeReadMailbox, 1);
    EXPECT_EQ(read(kDoeReadMailbox), 3u);

    write(kDoeControl, kDoeAbortBit | kDoeIntEnableBit);
    EXPECT_EQ(read(kDoeStatus), 0u);
    EXPECT_EQ(read(kDoeReadMailbox), 0u);
    // Go and Abort read as 0; Interrupt Enable keeps what was written.
    EXPECT_EQ(read(kDoeControl), kDoeIntEnableBit);
    EXPECT_EQ(mailbox.aborts(), 1u);
    EXPECT_EQ(mailbox.requests().size(), 2u);
}

TEST_F(SimMailbox, HooksEndWithTheMailbox) {
    {
        DoeMailbox mailbox(*bus, kFn, kCap);
    }
    send({0x00000001, 3, 0});
    EXPECT_EQ(read(kDoeStatus), 0u);
}

TEST_F(SimMailbox, CdatIsServedEntryByEntry) {
    const std::vector<uint8_t> dsmas = {0, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                        0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0};
    const std::vector<uint8_t> cdat = make_cdat({dsmas});
    ASSERT_EQ(cdat.size(), 40u);
    EXPECT_EQ(std::accumulate(cdat.begin(), cdat.end(), 0u) & 0xFF, 0u);

    DoeMailbox mailbox(*bus, kFn, kCap);
    mailbox.set_cdat(cdat);
    auto take = [&](size_t n) {
        std::vector<uint32_t> got;
        for (size_t i = 0; i < n && (read(kDoeStatus) & kDoeReadyBit); ++i) {
            got.push_back(read(kDoeReadMailbox));
            write(kDoeReadMailbox, 1);
        }
        EXPECT_EQ(read(kDoeStatus), 0u);
        return got;
    };
    send({0x00021E98, 3, 0x00000000});
    EXPECT_EQ(take(16), (std::vector<uint32_t>{0x00021E98, 7, 0x00010000, 40,
                                              uint32_t{cdat[4]} | uint32_t{cdat[5]} << 8, 0, 0}));
    send({0x00021E98, 3, 0x00010000});
    const auto last = take(16);
    ASSERT_EQ(last.size(), 9u);
    EXPECT_EQ(last[2], 0xFFFF0000u);
    EXPECT_EQ(last[3], 0x00180000u);
    send({0x00021E98, 3, 0x00020000});  // past the last entry: no answer
    EXPECT_EQ(read(kDoeStatus), kDoeErrorBit);

    EXPECT_THROW(mailbox.set_cdat(std::vector<uint8_t>(8, 0)), std::invalid_argument);
    std::vector<uint8_t> bad = cdat;
    bad[16 + 2] = 2;  // a structure shorter than its own header
    EXPECT_THROW(mailbox.set_cdat(bad), std::invalid_argument);
}

}  // namespace
