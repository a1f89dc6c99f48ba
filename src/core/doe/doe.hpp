#pragma once

#include <cstdint>

#include "core/devices/targetinformation.hpp"
#include "core/doe/dataobject.hpp"
#include "core/doe/doe_receipt.hpp"

namespace tarvo {
namespace core {

// A DOE mailbox transport: sends one REQ data object to the mailbox whose
// DOE capability lies at `doe_cap` and brings back one RSP.
template <typename REQ, typename RSP>
class doe {
public:
    // The whole round trip; the only step callers outside the transport use.
    virtual DataObject<RSP> exchange_object(TargetInformation& target, uint32_t doe_cap,
                                            DataObject<REQ> request) = 0;
    virtual bool busy(TargetInformation& target, uint32_t doe_cap) = 0;
    virtual void submit_object(TargetInformation& target, uint32_t doe_cap,
                               DataObject<REQ> request) = 0;
    virtual void finished_submission(TargetInformation& target, uint32_t doe_cap) = 0;
    virtual bool check_ready(TargetInformation& target, uint32_t doe_cap) = 0;
    virtual DataObject<RSP> get_object(TargetInformation& target, uint32_t doe_cap) = 0;
    // The same round trip as exchange_object, with the receipt of what the
    // mailbox presented, for callers that judge the response.
    virtual DOEReply<RSP> exchange(TargetInformation& target, uint32_t doe_cap,
                                   DataObject<REQ> request) = 0;

    virtual ~doe() = default;
};

}  // namespace core
}  // namespace tarvo
