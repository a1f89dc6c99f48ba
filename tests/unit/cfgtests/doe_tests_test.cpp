// The DOE tests 2/CFG/3 and 2/CFG/23, on functions with simulated DOE
// mailboxes, and the skipped test 2/CFG/24.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "comptests/config_tests.hpp"
#include "sim/doe_mailbox.hpp"
#include "unit/cfgtests/cfg_fixture.hpp"

namespace cfgtests {
namespace {

using namespace tarvo;
namespace v2d0 = tarvo::compliance::v2d0;
using sim::DoeProtocol;

// An endpoint with the CXL device DVSEC and `mailboxes` DOE capabilities.
sim::ConfigSpace with_mailboxes(int mailboxes, std::vector<uint32_t>& offsets) {
    sim::ConfigBuilder b;
    b.pcie_cap(PCIE_EP).dvsec(PCIE_DVSEC_FOR_CXL_DEV, 1, 0x38);
    for (int i = 0; i < mailboxes; ++i) {
        b.doe();
        offsets.push_back(static_cast<uint32_t>(b.last()));
    }
    return b.build();
}

using DoeTests = CfgTest;

TEST_F(DoeTests, DoeCapabilitiesNeedCdatOnSomeMailbox) {
    const Record launch = info("DOE Capabilities Test launched");
    const Record began = info("DOE began functioning under Discovery Protocol");
    const Record compliance = info("Device supports DOE Compliance Protocol.");
    const Record cdat = info("Device supports DOE CDAT Protocol.");
    const Verdict lacking =
        failed("Device did not pass one or more DOE Protocols (Compliance/CDAT).");
    const DoeProtocol discovery = sim::kDoeDiscoveryProtocol;
    const DoeProtocol table = sim::kCxlTableAccessProtocol;
    const DoeProtocol foreign_table{0x8086, 2};
    struct Case {
        const char* name;
        std::vector<std::vector<DoeProtocol>> mailboxes;
        Verdict result;
        Records findings;
    };
    const Case cases[] = {
        {"no mailbox", {}, lacking, {}},
        {"discovery only", {{discovery}}, lacking, {}},
        {"table access", {{discovery, table}}, passed(), {cdat}},
        {"compliance and table access",
         {{discovery, sim::kCxlComplianceProtocol, table}},
         passed(),
         {compliance, cdat}},
        {"compliance only", {{discovery, sim::kCxlComplianceProtocol}}, lacking, {compliance}},
        {"table access on two mailboxes",
         {{discovery, table}, {discovery, table}},
         passed(),
         {cdat, cdat}},
        {"table access of another vendor", {{discovery, foreign_table}}, lacking, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> offsets;
        install(with_mailboxes(static_cast<int>(c.mailboxes.size()), offsets));
        std::vector<std::unique_ptr<sim::DoeMailbox>> mailboxes;
        for (size_t i = 0; i < offsets.size(); ++i) {
            mailboxes.push_back(std::make_unique<sim::DoeMailbox>(*bus, kSut, offsets[i]));
            mailboxes.back()->set_discovery(c.mailboxes[i]);
        }
        EXPECT_EQ(verdict(run(v2d0::CFG_3)), c.result);
        Records expected = {launch, began};
        expected.insert(expected.end(), c.findings.begin(), c.findings.end());
        EXPECT_EQ(records(), expected);
    }
}

// Each answer lists CXL Table Access at index 1 of the one mailbox; a
// malformed one is not counted, so only the well-formed one passes.
TEST_F(DoeTests, DoeCapabilitiesCountOnlyWellFormedAnswers) {
    for (const doetest::Answer& answer : doetest::discovery_answers()) {
        SCOPED_TRACE(answer.name);
        std::vector<uint32_t> offsets;
        install(with_mailboxes(1, offsets));
        sim::DoeMailbox mailbox(*bus, kSut, offsets[0]);
        doetest::answer_discovery_index_1(mailbox, answer);
        Records expected = {info("DOE Capabilities Test launched"),
                            info("DOE began functioning under Discovery Protocol")};
        if (answer.fault.empty()) {
            EXPECT_EQ(verdict(run(v2d0::CFG_3)), passed());
            expected.insert(expected.end(), {info("Device supports DOE CDAT Protocol."),
                                             info("Device supports DOE Compliance Protocol.")});
        } else {
            EXPECT_EQ(verdict(run(v2d0::CFG_3)),
                      failed("Device did not pass one or more DOE Protocols (Compliance/CDAT)."));
            if (answer.stuck) expected.push_back(warn(doetest::stuck_warning(offsets[0])));
            expected.push_back(warn(doetest::malformed_discovery(offsets[0], 1, answer.fault)));
        }
        EXPECT_EQ(records(), expected);
    }
}

// The dump of a response record as the CDAT test logs it.
std::string dump(const std::string& response) {
    const std::string rule(30, '=');
    return "[[ See Below ]] \n\n" + rule + "\n\n" + response + "\n" + rule + "\n";
}

class CdatAccess : public CfgTest {
protected:
    // An endpoint whose one mailbox lists Table Access and serves a CDAT
    // with a header alone.
    sim::DoeMailbox& cdat_device() {
        std::vector<uint32_t> offsets;
        install(with_mailboxes(1, offsets));
        mailbox = std::make_unique<sim::DoeMailbox>(*bus, kSut, offsets[0]);
        mailbox->set_discovery({sim::kDoeDiscoveryProtocol, sim::kCxlTableAccessProtocol});
        mailbox->set_cdat(sim::make_cdat({}));
        return *mailbox;
    }
    // Read Entry requests the mailbox received.
    size_t read_entry_requests() const {
        size_t n = 0;
        for (const auto& r : mailbox->requests()) n += (r.at(0) & 0xFFFF) == 0x1E98;
        return n;
    }

    const Record launch = info("Table Access DOE Test Launched.");
    const Record began = info("DOE began functioning under CDAT protocols.");
    const Record created = info("CDAT Read Entry Request for DOE Created.");
    std::unique_ptr<sim::DoeMailbox> mailbox;
};

TEST_F(CdatAccess, FirstEntryWithStatusAndTypeZeroPasses) {
    cdat_device();
    EXPECT_EQ(verdict(run(v2d0::CFG_23)), passed("rsp_code & table_type has been verified."));
    EXPECT_EQ(records(),
              (Records{launch, began, created,
                       info(dump("CDAT Read Entry Response: \nData Object Header: \n"
                                 "vendor id: 7832\ndoe_type: 2\nlength: 7\n\nreq_code: 0\n"
                                 "table_type: 0\nentry_handle: 65535\n")),
                       info("  (RSP_CODE): 0 (should be 0x0)"),
                       info("  (TABLE_TYPE): 0 (should be 0x0)")}));
    // One Read Entry of handle 0: vendor 0x1E98 type 2, three dwords.
    ASSERT_EQ(read_entry_requests(), 1u);
    EXPECT_EQ(mailbox->requests().back(), (std::vector<uint32_t>{0x00021E98, 3, 0}));
}

TEST_F(CdatAccess, AnythingButAValidZeroStatusResponseFails) {
    struct Case {
        const char* name;
        std::vector<uint32_t> response;  // well-formed, each
    };
    const Case cases[] = {
        {"status 1", {0x00021E98, 3, 0xFFFF0001}},
        {"table type 1", {0x00021E98, 3, 0xFFFF0100}},
        {"another vendor", {0x00028086, 3, 0xFFFF0000}},
        {"another object type", {0x00001E98, 3, 0xFFFF0000}},
        {"length below three dwords", {0x00021E98, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cdat_device().set_responder(0x1E98, 2,
                                    [&c](const std::vector<uint32_t>&) { return c.response; });
        EXPECT_EQ(verdict(run(v2d0::CFG_23)), failed());
        // The dump is logged, no field records follow.
        const Records r = records();
        ASSERT_EQ(r.size(), 4u);
        EXPECT_EQ(r[2], created);
        EXPECT_EQ(r[3].text.rfind("[[ See Below ]] ", 0), 0u);
    }
}

// A malformed answer fails before its fields are judged, and is not dumped:
// past what the mailbox presented, the record holds zero fill.
TEST_F(CdatAccess, MalformedAnswerFailsNamingTheMailboxAndTheFault) {
    const std::vector<uint32_t> entry = {0x00021E98, 4, 0xFFFF0000, 0x12345678};
    const doetest::Answer answers[] = {
        {"header only",
         {0x00021E98, 4},
         doetest::ErrorBit::clear,
         false,
         "length field 4 dwords, 2 dwords presented"},
        {"length field longer than the dwords presented",
         {0x00021E98, 5, 0xFFFF0000, 0x12345678},
         doetest::ErrorBit::clear,
         false,
         "length field 5 dwords, 4 dwords presented"},
        {"length field shorter than the dwords presented",
         {0x00021E98, 3, 0xFFFF0000, 0x12345678},
         doetest::ErrorBit::clear,
         false,
         "length field 3 dwords, 4 dwords presented"},
        {"Error beside a valid response", entry, doetest::ErrorBit::with_response, false,
         "Error set"},
        {"Error only while the response is presented", entry, doetest::ErrorBit::while_ready, false,
         "Error set"},
        {"Ready never clears", entry, doetest::ErrorBit::clear, true,
         "Ready still set after 262144 dwords"},
        {"no answer", {}, doetest::ErrorBit::clear, false, "no dwords presented; Error set"},
    };
    for (const doetest::Answer& answer : answers) {
        SCOPED_TRACE(answer.name);
        sim::DoeMailbox& box = cdat_device();
        box.set_responder(0x1E98, 2, [&box, answer](const std::vector<uint32_t>&) {
            return doetest::present(box, answer);
        });
        EXPECT_EQ(verdict(run(v2d0::CFG_23)),
                  failed("Malformed CDAT Read Entry response from the DOE mailbox at 0x" +
                         doetest::hex(box.offset()) + ": " + answer.fault + "."));
        Records expected = {launch, began};
        if (answer.stuck) expected.push_back(warn(doetest::stuck_warning(box.offset())));
        expected.push_back(created);
        EXPECT_EQ(records(), expected);
        EXPECT_EQ(read_entry_requests(), 1u);
    }
}

TEST_F(CdatAccess, NoWellFormedCxlTableAccessEntryFailsBeforeAnyExchange) {
    const Verdict none = failed("Fail to find DOE mailbox supporting CDAT.");
    const std::string another_header = "header vendor 0x1e98 type 0x2, not DOE Discovery";
    struct Case {
        const char* name;
        std::function<void(sim::DoeMailbox&)> arrange;
        std::string fault;  // of Discovery index 1, warned of
    };
    const Case cases[] = {
        {"compliance only",
         [](sim::DoeMailbox& box) {
             box.set_discovery({sim::kDoeDiscoveryProtocol, sim::kCxlComplianceProtocol});
         },
         ""},
        // It would answer a Read Entry, but type 2 of another vendor is
        // another protocol.
        {"table access of another vendor",
         [](sim::DoeMailbox& box) {
             box.set_discovery({sim::kDoeDiscoveryProtocol, DoeProtocol{0x8086, 2}});
         },
         ""},
        {"table access listed in an answer with another object's header",
         [&another_header](sim::DoeMailbox& box) {
             doetest::answer_discovery_index_1(box, {"",
                                                     {0x00021E98, 3, 0x02021E98},
                                                     doetest::ErrorBit::clear,
                                                     false,
                                                     another_header});
         },
         another_header},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::DoeMailbox& box = cdat_device();
        c.arrange(box);
        EXPECT_EQ(verdict(run(v2d0::CFG_23)), none);
        Records expected = {launch, began};
        if (!c.fault.empty())
            expected.push_back(warn(doetest::malformed_discovery(box.offset(), 1, c.fault)));
        EXPECT_EQ(records(), expected);
        EXPECT_EQ(read_entry_requests(), 0u);
    }

    std::vector<uint32_t> none_at_all;
    install(with_mailboxes(0, none_at_all));
    mailbox.reset();
    EXPECT_EQ(verdict(run(v2d0::CFG_23)), none);
}

TEST_F(DoeTests, SkippedTestTouchesNothing) {
    install(sim::ConfigBuilder().build());
    EXPECT_EQ(verdict(run(v2d0::CFG_24)), skipped());
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(bus->log().empty());
}

}  // namespace
}  // namespace cfgtests
