// The DOE mailbox transport against the simulated mailbox: register access
// order, log records, waits, and every way a mailbox can misbehave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/doe/doe_cdat.hpp"
#include "core/doe/doe_compliance.hpp"
#include "core/doe/doe_discovery.hpp"
#include "core/doe/pcie_doe.hpp"
#include "core/doe/protocols/cdat.hpp"
#include "core/doe/protocols/discovery.hpp"
#include "unit/doe/doe_support.hpp"

namespace {

using namespace tarvo;
using namespace doetest;
using core::CDATReadEntryRequest;
using core::CDATReadEntryResponse;
using core::DiscoveryRequest;
using core::DiscoveryResponse;
using sim::DoeMailbox;

const SBDF kFn(0, 0x0d, 0, 0);
constexpr uint32_t kCap = 0x200;
const milliseconds kSecond(1000);

using DiscoveryTransport = core::pcie_doe<DiscoveryRequest, DiscoveryResponse>;
using CDATTransport = core::pcie_doe<CDATReadEntryRequest, CDATReadEntryResponse>;

template <typename record_t>
std::vector<uint32_t> dwords_of(const record_t& record, size_t n) {
    std::vector<uint32_t> out(n);
    std::memcpy(out.data(), &record, std::min(n * 4, sizeof(record_t)));
    return out;
}

std::vector<LogCapture::Record> at_least(const LogCapture& log, severity_level level) {
    std::vector<LogCapture::Record> out;
    for (const auto& r : log.records()) {
        if (r.level <= level) {
            out.push_back(r);
        }
    }
    return out;
}

class DOETransport : public ::testing::Test {
protected:
    void SetUp() override {
        sim.bus->add_function(kFn, sim::ConfigBuilder().pcie_cap(PCIE_EP).aer().doe(kCap).build());
        mailbox = std::make_unique<DoeMailbox>(*sim.bus, kFn, kCap);
        mailbox->set_discovery({sim::kDoeDiscoveryProtocol, sim::kCxlTableAccessProtocol});
        sim.bus->clear_log();
    }

    std::vector<Touch> mailbox_touches() const {
        return touches(*sim.bus, kCap + sim::kDoeControl, kCap + sim::kDoeReadMailbox + 4);
    }

    // A Discovery answer of the given dwords, whatever is asked.
    void answer_discovery_with(std::vector<uint32_t> dwords) {
        mailbox->set_responder(0x0001, 0,
                               [dwords](const std::vector<uint32_t>&) { return dwords; });
    }

    SimDevice sim;
    std::unique_ptr<DoeMailbox> mailbox;
    core::TargetInformation target = target_at(kFn);
};

TEST_F(DOETransport, DiscoveryExchangeTouchesTheRegistersInOrder) {
    DiscoveryTransport transport;
    const auto rsp = transport.exchange_object(target, kCap, core::DOEDiscovery::dress_request(1));

    const uint32_t ctl = kCap + 0x08, sts = kCap + 0x0C, wdm = kCap + 0x10, rdm = kCap + 0x14;
    std::vector<Touch> expected = {{false, sts, 0}};
    // Each request dword: a read of the register, then its read-modify-write.
    for (const uint32_t dw : {0x00000001u, 0x00000003u, 0x00000001u}) {
        expected.insert(expected.end(), {{false, wdm, 0}, {false, wdm, 0}, {true, wdm, dw}});
    }
    expected.insert(expected.end(), {{false, ctl, 0}, {false, ctl, 0}, {true, ctl, 0x80000000}});
    // Each response dword while Ready: read it, then write 1 to take it.
    for (const uint32_t dw : {0x00000001u, 0x00000003u, 0x00021E98u}) {
        expected.insert(
            expected.end(),
            {{false, sts, 0x80000000}, {false, rdm, dw}, {false, rdm, dw}, {true, rdm, 1}});
    }
    expected.push_back({false, sts, 0});
    EXPECT_EQ(mailbox_touches(), expected);

    EXPECT_EQ(dwords_of(rsp.protocol(), 3), (std::vector<uint32_t>{1, 3, 0x00021E98}));
    EXPECT_EQ(rsp.protocol().vendor_id, 0x1E98u);
    EXPECT_EQ(rsp.protocol().doe_type, 2u);
    EXPECT_EQ(rsp.protocol().next_index, 0u);
    EXPECT_EQ(sim.sleeps.waits(), std::vector<milliseconds>{kSecond});

    const std::vector<LogCapture::Record> records = {
        {debug_2, "DOE is available."},
        {debug_2, "Writing into DOE Mailbox[200]: 1"},
        {debug_2, "Writing into DOE Mailbox[200]: 3"},
        {debug_2, "Writing into DOE Mailbox[200]: 1"},
        {debug_2, "Reading from DOE Mailbox[200]: 1"},
        {debug_2, "Reading from DOE Mailbox[200]: 3"},
        {debug_2, "Reading from DOE Mailbox[200]: 21e98"},
    };
    EXPECT_EQ(sim.log.records(), records);
}

TEST_F(DOETransport, UnknownProtocolGetsNoAnswerAndAZeroRecord) {
    core::pcie_doe<core::ComplianceModeRequest, DiscoveryResponse> transport;
    const auto rsp =
        transport.exchange_object(target, kCap, core::DOECompliance::dress_availability_req());
    ASSERT_GE(sim.log.records().size(), 2u);
    EXPECT_EQ(sim.log.records()[1].text, "Writing into DOE Mailbox[200]: 1e98");
    EXPECT_EQ(dwords_of(rsp.protocol(), 3), (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(mailbox->requests(), (std::vector<std::vector<uint32_t>>{{0x00001E98, 3, 0}}));
    EXPECT_TRUE(touches(*sim.bus, kCap + 0x14, kCap + 0x18).empty());
}

TEST_F(DOETransport, BusyMailboxIsPolledOnceASecond) {
    mailbox->stay_busy(2);
    DiscoveryTransport transport;
    const auto rsp = transport.exchange_object(target, kCap, core::DOEDiscovery::dress_request(0));
    const std::vector<LogCapture::Record> first = {
        {debug_2, "DOE is currently busy. Sleeping..."},
        {debug_2, "DOE is currently busy. Sleeping..."},
        {debug_2, "DOE is available."},
    };
    ASSERT_GE(sim.log.records().size(), 3u);
    EXPECT_EQ(
        std::vector<LogCapture::Record>(sim.log.records().begin(), sim.log.records().begin() + 3),
        first);
    EXPECT_EQ(sim.sleeps.waits(), std::vector<milliseconds>(3, kSecond));
    EXPECT_EQ(rsp.protocol().data, 0x01000001u);
}

TEST_F(DOETransport, MailboxThatStaysBusyIsLeftAfterTenPolls) {
    mailbox->stay_busy(DoeMailbox::kForever);
    DiscoveryTransport transport;
    const auto reply = transport.exchange(target, kCap, core::DOEDiscovery::dress_request(0));
    const auto& rsp = reply.response;

    EXPECT_EQ(mailbox->status_reads(), 10u);
    EXPECT_EQ(sim.sleeps.waits(), std::vector<milliseconds>(9, kSecond));
    EXPECT_TRUE(sim.bus->log_of(sim::AccessKind::config_write).empty());
    EXPECT_TRUE(mailbox->requests().empty());
    EXPECT_EQ(dwords_of(rsp.protocol(), 3), (std::vector<uint32_t>{0, 0, 0}));
    const std::vector<LogCapture::Record> warnings = {
        {warning, "DOE Mailbox[200] is still busy after 10 polls; the object was not submitted."}};
    EXPECT_EQ(at_least(sim.log, warning), warnings);
    EXPECT_EQ(reply.receipt.dwords, 0u);
    EXPECT_EQ(reply.receipt.faults(), "no dwords presented");
}

// DOE Error at a Busy check before the request counts, though the mailbox
// drops it by itself and the Status read that ends the exchange shows it
// clear.
TEST_F(DOETransport, ErrorAtABusyCheckMarksTheReceipt) {
    struct Case {
        const char* name;
        unsigned busy_polls;
        unsigned error_reads;
        size_t dwords;
        std::string fault;
    };
    const Case cases[] = {
        {"at the one check of an idle mailbox", 0, 1, 3, "Error set"},
        {"at the first of two busy polls", 2, 1, 3, "Error set"},
        {"at the poll that finds the mailbox free", 2, 3, 3, "Error set"},
        {"at a poll of a mailbox that stays busy", DoeMailbox::kForever, 1, 0,
         "no dwords presented; Error set"},
    };
    const uint32_t sts = kCap + sim::kDoeStatus;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mailbox.reset();
        mailbox = std::make_unique<DoeMailbox>(*sim.bus, kFn, kCap);
        mailbox->stay_busy(c.busy_polls);
        mailbox->error_at_status_reads(c.error_reads);
        sim.bus->clear_log();
        DiscoveryTransport transport;
        const auto reply = transport.exchange(target, kCap, core::DOEDiscovery::dress_request(0));

        EXPECT_EQ(reply.receipt.dwords, c.dwords);
        EXPECT_TRUE(reply.receipt.error);
        EXPECT_FALSE(reply.receipt.well_formed());
        EXPECT_EQ(reply.receipt.faults(), c.fault);
        const std::vector<Touch> reads = touches(*sim.bus, sts, sts + 4);
        ASSERT_FALSE(reads.empty());
        EXPECT_EQ(reads.back().value & sim::kDoeErrorBit, 0u);
    }
}

TEST_F(DOETransport, EveryPresentedDwordIsTakenAndTheRecordKeepsItsOwnSize) {
    answer_discovery_with({0x00000001, 5, 0x00021E98, 0xAAAA5555, 0xBBBB6666});
    DiscoveryTransport transport;
    const auto rsp = transport.exchange_object(target, kCap, core::DOEDiscovery::dress_request(0));

    std::vector<Touch> acks;
    for (const Touch& t : touches(*sim.bus, kCap + 0x14, kCap + 0x18)) {
        if (t.write) {
            acks.push_back(t);
        }
    }
    EXPECT_EQ(acks, std::vector<Touch>(5, Touch{true, kCap + 0x14, 1}));
    EXPECT_EQ(mailbox->acknowledged(), 5u);
    EXPECT_EQ(dwords_of(rsp.protocol(), 3), (std::vector<uint32_t>{1, 5, 0x00021E98}));
}

TEST_F(DOETransport, ReadyNeverComes) {
    mailbox->never_ready();
    DiscoveryTransport transport;
    const auto rsp = transport.exchange_object(target, kCap, core::DOEDiscovery::dress_request(0));
    EXPECT_EQ(mailbox->requests().size(), 1u);
    EXPECT_TRUE(touches(*sim.bus, kCap + 0x14, kCap + 0x18).empty());
    EXPECT_EQ(dwords_of(rsp.protocol(), 3), (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(sim.sleeps.waits(), std::vector<milliseconds>{kSecond});
}

TEST_F(DOETransport, ResponseIsStoredUpToTheLengthItsHeaderGives) {
    struct Case {
        uint32_t length;
        std::vector<uint32_t> stored;
    };
    const Case cases[] = {
        {4, {0x1, 4, 0x00021E98, 0xDEADBEEF}},
        {3, {0x1, 3, 0x00021E98, 0}},
        {1, {0x1, 1, 0, 0}},                    // dword 1 is in before its length is known
        {0, {0x1, 0, 0x00021E98, 0xDEADBEEF}},  // 0 stands for 2^18
        {0x3FFFF, {0x1, 0x3FFFF, 0x00021E98, 0xDEADBEEF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        answer_discovery_with({0x1, 4, 0x00021E98, 0xDEADBEEF});
        mailbox->set_response_header(0x1, c.length);
        const unsigned before = mailbox->acknowledged();
        // A record larger than the response shows what was stored.
        core::pcie_doe<DiscoveryRequest, CDATReadEntryResponse> transport;
        const auto rsp =
            transport.exchange_object(target, kCap, core::DOEDiscovery::dress_request(0));
        EXPECT_EQ(dwords_of(rsp.protocol(), 5),
                  (std::vector<uint32_t>{c.stored[0], c.stored[1], c.stored[2], c.stored[3], 0}));
        EXPECT_EQ(mailbox->acknowledged() - before, 4u);  // surplus dwords are taken too
    }
}

TEST_F(DOETransport, MailboxThatKeepsReadyIsReadAtMostTwoToTheEighteenDwords) {
    mailbox->keep_ready();
    DiscoveryTransport transport;
    const auto reply = transport.exchange(target, kCap, core::DOEDiscovery::dress_request(0));
    const auto& rsp = reply.response;
    EXPECT_EQ(mailbox->acknowledged(), 262144u);
    EXPECT_TRUE(reply.receipt.ready_stuck);
    EXPECT_EQ(reply.receipt.length_field, 3u);
    EXPECT_FALSE(reply.receipt.well_formed());
    EXPECT_EQ(reply.receipt.faults(), "Ready still set after 262144 dwords");
    EXPECT_EQ(dwords_of(rsp.protocol(), 3), (std::vector<uint32_t>{1, 3, 0x01000001}));
    const std::vector<LogCapture::Record> warnings = {
        {warning, "DOE Mailbox[200] still has data after 262144 dwords; reading stopped."}};
    EXPECT_EQ(at_least(sim.log, warning), warnings);
}

// What the receipt says of each way the mailbox presents a response; the
// record holds what was presented, zero filled, whatever the receipt says.
TEST_F(DOETransport, ReceiptTellsAWellFormedResponseFromAMalformedOne) {
    struct Case {
        Answer answer;
        bool never_ready;
        size_t dwords;
        uint32_t length_field;
    };
    const uint32_t entry = 0x00021E98;
    const Case cases[] = {
        {{"well-formed", {0x1, 3, entry}, ErrorBit::clear, false, ""}, false, 3, 3},
        {{"header only", {0x1, 3}, ErrorBit::clear, false,
          "length field 3 dwords, 2 dwords presented"},
         false, 2, 3},
        {{"length field longer", {0x1, 5, entry}, ErrorBit::clear, false,
          "length field 5 dwords, 3 dwords presented"},
         false, 3, 5},
        {{"length field shorter", {0x1, 3, entry, 7, 8}, ErrorBit::clear, false,
          "length field 3 dwords, 5 dwords presented"},
         false, 5, 3},
        {{"length field 0, for 2^18 dwords", {0x1, 0, entry}, ErrorBit::clear, false,
          "length field 262144 dwords, 3 dwords presented"},
         false, 3, 0},
        {{"one dword", {0x1}, ErrorBit::clear, false, "1 dword presented, a header has 2"},
         false, 1, 0},
        {{"Error beside a valid response", {0x1, 3, entry}, ErrorBit::with_response, false,
          "Error set"},
         false, 3, 3},
        {{"Error only while the response is presented", {0x1, 3, entry}, ErrorBit::while_ready,
          false, "Error set"},
         false, 3, 3},
        {{"Error beside a header", {0x1, 3}, ErrorBit::with_response, false,
          "length field 3 dwords, 2 dwords presented; Error set"},
         false, 2, 3},
        {{"Ready never comes", {0x1, 3, entry}, ErrorBit::clear, false, "no dwords presented"},
         true, 0, 0},
        {{"no answer, which sets Error", {}, ErrorBit::clear, false,
          "no dwords presented; Error set"},
         false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.name);
        mailbox.reset();
        mailbox = std::make_unique<DoeMailbox>(*sim.bus, kFn, kCap);
        DoeMailbox& box = *mailbox;
        const Answer answer = c.answer;
        box.set_responder(0x0001, 0,
                          [&box, answer](const std::vector<uint32_t>&) { return present(box, answer); });
        box.never_ready(c.never_ready);
        DiscoveryTransport transport;
        const auto reply = transport.exchange(target, kCap, core::DOEDiscovery::dress_request(0));

        EXPECT_EQ(reply.receipt.dwords, c.dwords);
        EXPECT_EQ(reply.receipt.length_field, c.length_field);
        EXPECT_EQ(reply.receipt.error,
                  c.answer.error != ErrorBit::clear || c.answer.dwords.empty());
        EXPECT_FALSE(reply.receipt.ready_stuck);
        EXPECT_EQ(reply.receipt.well_formed(), c.answer.fault.empty());
        EXPECT_EQ(reply.receipt.faults(), c.answer.fault);
        std::vector<uint32_t> presented = c.never_ready ? std::vector<uint32_t>{} : c.answer.dwords;
        presented.resize(3, 0);
        EXPECT_EQ(dwords_of(reply.response.protocol(), 3), presented);
    }
}

TEST_F(DOETransport, FunctionThatCannotBeReachedGivesAZeroRecord) {
    auto absent = target_at(SBDF(0, 0x0e, 0, 0));
    DiscoveryTransport transport;
    const auto rsp = transport.exchange_object(absent, kCap, core::DOEDiscovery::dress_request(0));
    EXPECT_EQ(dwords_of(rsp.protocol(), 3), (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(sim.sleeps.waits(), std::vector<milliseconds>{kSecond});
    EXPECT_TRUE(mailbox->requests().empty());
}

// The transport and the simulated mailbox against what QEMU's Type 3 device
// was recorded to exchange: the same request dwords go out, the same
// response dwords come back.
TEST(DOEQemuType3, ExchangesMatchTheRecordedOnes) {
    SimDevice sim;
    const auto mailbox = sim::add_qemu_type3(*sim.bus);
    auto target = target_at(sim::kQemuType3Function);
    const auto& dump = sim::qemu_type3_doe();
    ASSERT_EQ(dump.cap_offset, 0x190u);
    ASSERT_EQ(dump.cdat.size(), 160u);
    ASSERT_EQ(dump.exchanges.size(), 9u);

    DiscoveryTransport discovery;
    CDATTransport cdat;
    for (const sim::DoeExchange& x : dump.exchanges) {
        std::vector<uint32_t> got;
        if (x.request[0] == 0x00000001) {
            const auto rsp = discovery.exchange_object(
                target, 0x190, core::DOEDiscovery::dress_request(x.request[2] & 0xFF));
            got = dwords_of(rsp.protocol(), x.response.size());
        } else {
            const auto rsp = cdat.exchange_object(
                target, 0x190,
                core::DOECDAT::dress_read_entry_req(static_cast<uint16_t>(x.request[2] >> 16)));
            got = dwords_of(rsp.protocol(), x.response.size());
            EXPECT_EQ(rsp.protocol().rsp_code, 0);
            EXPECT_EQ(rsp.protocol().table_type, 0);
        }
        EXPECT_EQ(mailbox->requests().back(), x.request);
        EXPECT_EQ(got, x.response);
    }
}

}  // namespace
