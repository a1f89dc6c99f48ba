#include "core/doe/doe_discovery.hpp"

#include <bitset>
#include <sstream>
#include <string>
#include <utility>

#include "common/cxl_types.hpp"
#include "core/io/offset_retriever.hpp"

namespace tarvo {
namespace core {

DOEDiscovery::DOEDiscovery(std::shared_ptr<transport_t> p_doe) : m_doe(std::move(p_doe)) {}

DataObject<DiscoveryRequest> DOEDiscovery::dress_request(uint32_t index) {
    const DOEHeader header(DOE_PCI_SIG_VENDOR_ID, 0, discovery_dwords);
    return DataObject<DiscoveryRequest>(
        DiscoveryRequest(header, static_cast<uint8_t>(index & 0xFF)));
}

DataObject<DiscoveryResponse> DOEDiscovery::discover_one(TargetInformation& target,
                                                         uint32_t offset, uint32_t index) {
    return m_doe->exchange_object(target, offset, dress_request(index));
}

std::string DOEDiscovery::faults(const DOEReply<DiscoveryResponse>& reply) {
    const DOEReceipt& receipt = reply.receipt;
    std::string found = receipt.faults();
    // Without a whole header there is no header to judge.
    if (receipt.dwords < 2) return found;
    const DOEHeader& header = reply.response.protocol().header;
    if (header.vendor_id != DOE_PCI_SIG_VENDOR_ID || header.doe_type != 0) {
        std::ostringstream text;
        text << "header vendor 0x" << std::hex << header.vendor_id << " type 0x"
             << static_cast<unsigned>(header.doe_type) << ", not DOE Discovery";
        add_fault(found, text.str());
    }
    if (receipt.length_agrees() && header.length != discovery_dwords) {
        add_fault(found, "length field " + std::to_string(receipt.object_dwords()) +
                             " dwords, a Discovery response has 3");
    }
    return found;
}

std::vector<DOECap> DOEDiscovery::discover(TargetInformation& target) {
    std::vector<DOECap> found;
    std::vector<uint64_t> mailboxes;
    io::OffsetRetriever retriever(target);
    retriever.ext_capability_offsets(DOE_CAP_ID, mailboxes);

    for (const uint64_t mailbox : mailboxes) {
        const auto offset = static_cast<uint32_t>(mailbox);
        // The chain ends at index 0; a mailbox that leads back to an index
        // already asked would otherwise be asked forever.
        std::bitset<max_entries> asked;
        uint32_t index = 0;
        do {
            asked.set(index);
            const DOEReply<DiscoveryResponse> reply =
                m_doe->exchange(target, offset, dress_request(index));
            // What a malformed answer seems to list was never really said.
            const std::string wrong = faults(reply);
            if (!wrong.empty()) {
                BOOST_LOG_SEV(m_logger, warning)
                    << "DOE Discovery of the mailbox at 0x" << std::hex << offset
                    << " stops at index 0x" << index << ", its response is malformed: " << wrong
                    << ".";
                break;
            }
            const DiscoveryResponse& response = reply.response.protocol();
            DOECap cap;
            cap.offset = offset;
            cap.header1 = static_cast<uint32_t>(response.vendor_id) |
                          (static_cast<uint32_t>(response.doe_type) << 16);
            found.push_back(cap);
            index = response.next_index;
            if (index != 0 && asked.test(index)) {
                BOOST_LOG_SEV(m_logger, warning)
                    << "DOE Discovery of the mailbox at 0x" << std::hex << offset
                    << " leads back to index 0x" << index << "; " << std::dec << asked.count()
                    << " entries were read.";
                break;
            }
        } while (index != 0);
    }
    return found;
}

}  // namespace core
}  // namespace tarvo
