#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

#include "common/logging.hpp"
#include "common/sleep.hpp"
#include "core/devices/targetinformation.hpp"
#include "core/doe/dataobject.hpp"
#include "core/doe/doe.hpp"
#include "core/doe/doe_receipt.hpp"
#include "core/io/hwio/cxl_registers.hpp"
#include "core/io/hwio/hwio.hpp"
#include "core/io/hwio/hwio_creator.hpp"

namespace tarvo {
namespace core {

// The DOE transport over configuration-space register accesses to the
// mailbox registers of one DOE extended capability.
template <typename REQ, typename RSP>
class pcie_doe : public doe<REQ, RSP> {
    static_assert(std::is_trivially_copyable<RSP>::value, "a response is built from raw dwords");
    static_assert(sizeof(RSP) <= sizeof(DOEImage), "a response fits in one data object");

public:
    // Busy polls before an exchange gives up without submitting.
    static constexpr unsigned max_busy_polls = 10;
    // Wait between busy polls, and before the response is read.
    static constexpr std::chrono::milliseconds poll_interval{1000};

    DataObject<RSP> exchange_object(TargetInformation& target, uint32_t doe_cap,
                                    DataObject<REQ> request) override {
        return exchange(target, doe_cap, std::move(request)).response;
    }

    // Waits while Busy, submits, sets Go and takes the response, with the
    // receipt of what the mailbox presented.
    DOEReply<RSP> exchange(TargetInformation& target, uint32_t doe_cap,
                           DataObject<REQ> request) override {
        unsigned polls = 0;
        Status status = read_status(target, doe_cap);
        // A mailbox may show Error at any Status read and drop it by the
        // next, so the receipt keeps every Error the exchange saw.
        bool error = status.error;
        while (status.busy) {
            if (++polls >= max_busy_polls) {
                BOOST_LOG_SEV(m_logger, warning)
                    << "DOE Mailbox[" << std::hex << doe_cap << "] is still busy after "
                    << std::dec << polls << " polls; the object was not submitted.";
                DOEReceipt receipt;
                receipt.error = error;
                return {record_from(nullptr), receipt};
            }
            BOOST_LOG_SEV(m_logger, debug_2) << "DOE is currently busy. Sleeping...";
            sleep_for(poll_interval);
            status = read_status(target, doe_cap);
            error = error || status.error;
        }
        BOOST_LOG_SEV(m_logger, debug_2) << "DOE is available.";
        submit_object(target, doe_cap, std::move(request));
        finished_submission(target, doe_cap);
        DOEReply<RSP> reply = take_object(target, doe_cap);
        reply.receipt.error = reply.receipt.error || error;
        return reply;
    }

    bool busy(TargetInformation& target, uint32_t doe_cap) override {
        return read_status(target, doe_cap).busy;
    }

    // Writes the request's `length` dwords into the Write Data Mailbox.
    void submit_object(TargetInformation& target, uint32_t doe_cap,
                       DataObject<REQ> request) override {
        const std::size_t dwords = request.protocol().header.length;
        const auto image = request.serialize();
        auto hw = HWIOCreator::create_hwio();
        for (std::size_t i = 0; i < dwords; ++i) {
            PCIeDOEWriteDataMailboxRegister mailbox;
            hw->ReadPCI(target.sbdf(), doe_cap, mailbox);
            mailbox.SetFieldbyName("DOEWriteDataMailbox", (*image)[i]);
            BOOST_LOG_SEV(m_logger, debug_2) << "Writing into DOE Mailbox[" << std::hex << doe_cap
                                             << "]: " << (*image)[i];
            hw->WritePCI(target.sbdf(), doe_cap, mailbox);
        }
    }

    // Sets Go, with Abort and Interrupt Enable clear.
    void finished_submission(TargetInformation& target, uint32_t doe_cap) override {
        auto hw = HWIOCreator::create_hwio();
        PCIeDOEControlRegister control;
        hw->ReadPCI(target.sbdf(), doe_cap, control);
        control.SetValue(0x80000000);
        hw->WritePCI(target.sbdf(), doe_cap, control);
    }

    bool check_ready(TargetInformation& target, uint32_t doe_cap) override {
        return read_status(target, doe_cap).ready;
    }

    DataObject<RSP> get_object(TargetInformation& target, uint32_t doe_cap) override {
        return take_object(target, doe_cap).response;
    }

    // Takes one dword from the Read Data Mailbox and acknowledges it, which
    // lets the mailbox present the next one.
    uint32_t read_mbox(TargetInformation& target, uint32_t doe_cap) {
        auto hw = HWIOCreator::create_hwio();
        PCIeDOEReadDataMailboxRegister mailbox;
        hw->ReadPCI(target.sbdf(), doe_cap, mailbox);
        uint64_t value = 0;
        mailbox.GetValuebyFieldName("DOEReadDataMailbox", value);
        BOOST_LOG_SEV(m_logger, debug_2) << "Reading from DOE Mailbox[" << std::hex << doe_cap
                                         << "]: " << value;
        mailbox.SetFieldbyName("DOEReadDataMailbox", 1);
        hw->WritePCI(target.sbdf(), doe_cap, mailbox);
        return static_cast<uint32_t>(value);
    }

private:
    struct Status {
        bool busy;
        bool ready;
        bool error;
    };

    // One read of the Status register; a failed read shows every bit clear.
    Status read_status(TargetInformation& target, uint32_t doe_cap) {
        auto hw = HWIOCreator::create_hwio();
        PCIeDOEStatusRegister status;
        hw->ReadPCI(target.sbdf(), doe_cap, status);
        uint64_t busy = 0, ready = 0, error = 0;
        status.GetValuebyFieldName("DOEBusy", busy);
        status.GetValuebyFieldName("DOEReady", ready);
        status.GetValuebyFieldName("DOEErr", error);
        return {busy == 1, ready == 1, error == 1};
    }

    // Waits once, then takes dwords while Data Object Ready is set, noting
    // DOE Error at any of its Status reads. Dwords beyond the length in the
    // response header are acknowledged and dropped; at most 2^18 dwords are
    // taken, so a mailbox that keeps Ready set cannot hold the caller.
    DOEReply<RSP> take_object(TargetInformation& target, uint32_t doe_cap) {
        auto buffer = std::make_unique<DOEImage>();
        DOEReceipt receipt;
        std::size_t wanted = DOE_MAX_DWORDS;
        sleep_for(poll_interval);
        for (;;) {
            const Status status = read_status(target, doe_cap);
            receipt.error = receipt.error || status.error;
            if (!status.ready) break;
            if (receipt.dwords == DOE_MAX_DWORDS) {
                BOOST_LOG_SEV(m_logger, warning)
                    << "DOE Mailbox[" << std::hex << doe_cap << "] still has data after "
                    << std::dec << DOE_MAX_DWORDS << " dwords; reading stopped.";
                receipt.ready_stuck = true;
                break;
            }
            const uint32_t dword = read_mbox(target, doe_cap);
            if (receipt.dwords < wanted) {
                (*buffer)[receipt.dwords] = dword;
            }
            ++receipt.dwords;
            if (receipt.dwords == 2) {
                receipt.length_field = (*buffer)[1] & 0x3FFFF;
                wanted = receipt.object_dwords();
            }
        }
        return {record_from(buffer->data()), receipt};
    }

    // A response record from the first sizeof(RSP) bytes of `words`; all
    // zero when there are none.
    static DataObject<RSP> record_from(const uint32_t* words) {
        RSP record{};
        if (words != nullptr) {
            std::memcpy(static_cast<void*>(&record), words, sizeof(RSP));
        } else {
            std::memset(static_cast<void*>(&record), 0, sizeof(RSP));
        }
        return DataObject<RSP>(record);
    }

    Logger_t m_logger;
};

}  // namespace core
}  // namespace tarvo
