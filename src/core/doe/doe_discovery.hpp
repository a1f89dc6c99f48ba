#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/logging.hpp"
#include "core/devices/capabilities.hpp"
#include "core/devices/targetinformation.hpp"
#include "core/doe/dataobject.hpp"
#include "core/doe/doe.hpp"
#include "core/doe/doe_receipt.hpp"
#include "core/doe/protocols/discovery.hpp"

namespace tarvo {
namespace core {

// Lists the DOE protocols a function supports.
class Discovery {
public:
    virtual std::vector<DOECap> discover(TargetInformation& target) = 0;

    virtual ~Discovery() = default;
};

// DOE Discovery over every DOE mailbox of a function.
class DOEDiscovery : public Discovery {
public:
    using transport_t = doe<DiscoveryRequest, DiscoveryResponse>;

    // The most protocols one mailbox can list: the discovery index is 8 bits.
    static constexpr unsigned max_entries = 256;
    // Dwords of a Discovery request and of its response.
    static constexpr uint32_t discovery_dwords = 3;

    explicit DOEDiscovery(std::shared_ptr<transport_t> p_doe);

    // One entry per protocol per mailbox: mailboxes in capability-list
    // order, protocols in discovery-index order.
    std::vector<DOECap> discover(TargetInformation& target) override;

    static DataObject<DiscoveryRequest> dress_request(uint32_t index);

    // Asks the mailbox at `offset` for the protocol at `index`.
    DataObject<DiscoveryResponse> discover_one(TargetInformation& target, uint32_t offset,
                                               uint32_t index);

private:
    // What is wrong with a Discovery answer, "; "-joined; empty when it is a
    // well-formed Discovery response.
    static std::string faults(const DOEReply<DiscoveryResponse>& reply);

    std::shared_ptr<transport_t> m_doe;
    Logger_t m_logger;
};

}  // namespace core
}  // namespace tarvo
