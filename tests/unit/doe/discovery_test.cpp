// DOE Discovery over every mailbox of a simulated function, and the lookup
// of the mailbox that serves an object type.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "core/doe/doe_discovery.hpp"
#include "core/doe/pcie_doe.hpp"
#include "core/io/doediscoverer.hpp"
#include "unit/doe/doe_support.hpp"

namespace {

using namespace tarvo;
using namespace doetest;
using sim::DoeMailbox;
using sim::DoeProtocol;

const SBDF kFn(0, 0x0d, 0, 0);

struct Found {
    uint32_t offset;
    uint32_t header1;
    bool operator==(const Found& o) const { return offset == o.offset && header1 == o.header1; }
};
std::ostream& operator<<(std::ostream& os, const Found& f) {
    return os << std::hex << f.offset << ':' << f.header1 << std::dec;
}

class DOEDiscoveryWalk : public ::testing::Test {
protected:
    // A function with a DOE mailbox at each offset (the first at 0x100).
    void add_function(const std::vector<uint32_t>& mailboxes) {
        sim::ConfigBuilder builder;
        builder.pcie_cap(PCIE_EP);
        if (mailboxes.empty() || mailboxes.front() != 0x100) {
            builder.aer();
        }
        for (const uint32_t at : mailboxes) {
            builder.doe(at);
        }
        sim.bus->add_function(kFn, builder.build());
        for (const uint32_t at : mailboxes) {
            boxes.push_back(std::make_unique<DoeMailbox>(*sim.bus, kFn, at));
        }
    }

    std::vector<Found> discover() {
        auto transport =
            std::make_shared<core::pcie_doe<core::DiscoveryRequest, core::DiscoveryResponse>>();
        std::shared_ptr<core::Discovery> discovery =
            std::make_shared<core::DOEDiscovery>(transport);
        std::vector<Found> found;
        for (const core::DOECap& cap : discovery->discover(target)) {
            found.push_back({cap.offset, cap.header1});
        }
        return found;
    }

    // doe_offset of a fresh lookup: its result and the offset, which holds
    // `start` before the call.
    std::pair<int, uint64_t> lookup(int doetype, uint64_t start = 0) {
        uint64_t offset = start;
        io::DOEDiscoverer discoverer(target);
        const int rc = discoverer.doe_offset(doetype, offset);
        return {rc, offset};
    }

    // The warnings logged from record `first` on.
    std::vector<LogCapture::Record> warnings(size_t first = 0) const {
        std::vector<LogCapture::Record> out;
        const auto& records = sim.log.records();
        for (size_t i = first; i < records.size(); ++i) {
            if (records[i].level == warning) {
                out.push_back(records[i]);
            }
        }
        return out;
    }

    SimDevice sim;
    std::vector<std::unique_ptr<DoeMailbox>> boxes;
    core::TargetInformation target = target_at(kFn);
};

TEST_F(DOEDiscoveryWalk, FunctionWithoutMailboxFindsNothing) {
    add_function({});
    EXPECT_TRUE(discover().empty());
    EXPECT_EQ(lookup(2, 0x1234), std::make_pair(1, uint64_t{0x1234}));
}

TEST_F(DOEDiscoveryWalk, ListsEveryProtocolOfEveryMailboxInOrder) {
    add_function({0x150, 0x200});
    boxes[0]->set_discovery(
        {sim::kDoeDiscoveryProtocol, sim::kCxlComplianceProtocol, sim::kCxlTableAccessProtocol});
    boxes[1]->set_discovery({sim::kDoeDiscoveryProtocol, sim::kCxlTableAccessProtocol});
    EXPECT_EQ(discover(), (std::vector<Found>{{0x150, 0x00000001},
                                              {0x150, 0x00001E98},
                                              {0x150, 0x00021E98},
                                              {0x200, 0x00000001},
                                              {0x200, 0x00021E98}}));
    // Index by index, as each answer said.
    EXPECT_EQ(boxes[0]->requests(),
              (std::vector<std::vector<uint32_t>>{{1, 3, 0}, {1, 3, 1}, {1, 3, 2}}));
    EXPECT_TRUE(warnings().empty());
}

TEST_F(DOEDiscoveryWalk, SilentMailboxListsNothingAndTheWalkGoesOn) {
    add_function({0x100, 0x200});
    boxes[0]->never_ready();
    boxes[1]->set_discovery({sim::kDoeDiscoveryProtocol, sim::kCxlTableAccessProtocol});
    EXPECT_EQ(discover(), (std::vector<Found>{{0x200, 0x00000001}, {0x200, 0x00021E98}}));
    EXPECT_EQ(warnings(), (std::vector<LogCapture::Record>{
                              {warning, malformed_discovery(0x100, 0, "no dwords presented")}}));
    EXPECT_EQ(lookup(2), std::make_pair(0, uint64_t{0x200}));
}

// Each answer lists CXL Table Access at index 1 of the first mailbox and
// leads to index 2; only a well-formed one is listed and followed, a
// malformed one ends that mailbox's walk.
TEST_F(DOEDiscoveryWalk, MalformedAnswerIsNotListedAndEndsItsMailbox) {
    add_function({0x100, 0x200});
    boxes[1]->set_discovery({sim::kDoeDiscoveryProtocol, sim::kCxlTableAccessProtocol});
    for (const Answer& answer : discovery_answers()) {
        SCOPED_TRACE(answer.name);
        boxes[0].reset();
        boxes[0] = std::make_unique<DoeMailbox>(*sim.bus, kFn, 0x100);
        answer_discovery_index_1(*boxes[0], answer);
        const size_t first = sim.log.records().size();

        std::vector<Found> expected = {{0x100, 0x00000001}};
        std::vector<LogCapture::Record> warned;
        if (answer.fault.empty()) {
            expected.insert(expected.end(), {{0x100, 0x00021E98}, {0x100, 0x00001E98}});
        } else {
            if (answer.stuck) warned.push_back({warning, stuck_warning(0x100)});
            warned.push_back({warning, malformed_discovery(0x100, 1, answer.fault)});
        }
        expected.insert(expected.end(), {{0x200, 0x00000001}, {0x200, 0x00021E98}});
        EXPECT_EQ(discover(), expected);
        EXPECT_EQ(warnings(first), warned);
        EXPECT_EQ(boxes[0]->requests().size(), answer.fault.empty() ? 3u : 2u);
    }
}

TEST_F(DOEDiscoveryWalk, LookupTakesTheFirstMailboxOfTheCxlType) {
    add_function({0x100, 0x200});
    // A type 2 of another vendor is another protocol.
    boxes[0]->set_discovery({sim::kDoeDiscoveryProtocol, DoeProtocol{0x1234, 2}});
    boxes[1]->set_discovery({sim::kDoeDiscoveryProtocol, sim::kCxlTableAccessProtocol});
    EXPECT_EQ(lookup(2), std::make_pair(0, uint64_t{0x200}));

    boxes[0]->set_discovery({sim::kDoeDiscoveryProtocol, sim::kCxlTableAccessProtocol});
    EXPECT_EQ(lookup(2), std::make_pair(0, uint64_t{0x100}));
    // A CXL table access entry in a malformed answer names no mailbox.
    answer_discovery_index_1(*boxes[0], {"header only",
                                         {0x00000001, 3},
                                         ErrorBit::clear,
                                         false,
                                         "length field 3 dwords, 2 dwords presented"});
    EXPECT_EQ(lookup(2), std::make_pair(0, uint64_t{0x200}));
    EXPECT_EQ(lookup(5, 0x77), std::make_pair(1, uint64_t{0x77}));
}

TEST_F(DOEDiscoveryWalk, ChainThatNeverEndsStopsAtAnIndexAlreadyAsked) {
    struct Case {
        size_t protocols;
        uint8_t back_to;
        size_t entries;
        const char* text;
    };
    const Case cases[] = {
        {2, 1, 2,
         "DOE Discovery of the mailbox at 0x100 leads back to index 0x1; 2 entries were read."},
        {3, 2, 3,
         "DOE Discovery of the mailbox at 0x100 leads back to index 0x2; 3 entries were read."},
        // Every index 0..255 once, then back to 1: the most one mailbox can list.
        {256, 1, 256,
         "DOE Discovery of the mailbox at 0x100 leads back to index 0x1; 256 entries were read."},
    };
    add_function({0x100, 0x200});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocols);
        const size_t first = sim.log.records().size();
        std::vector<DoeProtocol> protocols(c.protocols, sim::kCxlComplianceProtocol);
        protocols[0] = sim::kDoeDiscoveryProtocol;
        boxes[0]->set_discovery(protocols);
        boxes[0]->loop_discovery(c.back_to);
        const std::vector<Found> found = discover();
        // The second mailbox is still asked.
        ASSERT_EQ(found.size(), c.entries + 1);
        EXPECT_EQ(found.back(), (Found{0x200, 0x00000001}));
        EXPECT_EQ(warnings(first), (std::vector<LogCapture::Record>{{warning, c.text}}));
    }
}

TEST_F(DOEDiscoveryWalk, QemuType3ServesCdatAt0x190) {
    const auto mailbox = sim::add_qemu_type3(*sim.bus);
    target = target_at(sim::kQemuType3Function);
    EXPECT_EQ(discover(), (std::vector<Found>{{0x190, 0x00000001}, {0x190, 0x00021E98}}));
    EXPECT_EQ(lookup(CXL_DOE_TABLE_ACCESS), std::make_pair(0, uint64_t{0x190}));
}

}  // namespace
