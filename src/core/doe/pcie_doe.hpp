#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

#include "common/logging.hpp"
#include "common/sleep.hpp"
#include "core/devices/targetinformation.hpp"
#include "core/doe/dataobject.hpp"
#include "core/doe/doe.hpp"
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
        unsigned polls = 0;
        while (busy(target, doe_cap)) {
            if (++polls >= max_busy_polls) {
                BOOST_LOG_SEV(m_logger, warning)
                    << "DOE Mailbox[" << std::hex << doe_cap << "] is still busy after "
                    << std::dec << polls << " polls; the object was not submitted.";
                return record_from(nullptr);
            }
            BOOST_LOG_SEV(m_logger, debug_2) << "DOE is currently busy. Sleeping...";
            sleep_for(poll_interval);
        }
        BOOST_LOG_SEV(m_logger, debug_2) << "DOE is available.";
        submit_object(target, doe_cap, request);
        finished_submission(target, doe_cap);
        return get_object(target, doe_cap);
    }

    bool busy(TargetInformation& target, uint32_t doe_cap) override {
        return status_bit(target, doe_cap, "DOEBusy");
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
        return status_bit(target, doe_cap, "DOEReady");
    }

    // Waits once, then takes dwords while Data Object Ready is set. Dwords
    // beyond the length in the response header are acknowledged and dropped;
    // at most 2^18 dwords are taken, so a mailbox that keeps Ready set
    // cannot hold the caller.
    DataObject<RSP> get_object(TargetInformation& target, uint32_t doe_cap) override {
        auto buffer = std::make_unique<DOEImage>();
        std::size_t count = 0;
        std::size_t wanted = DOE_MAX_DWORDS;
        sleep_for(poll_interval);
        while (check_ready(target, doe_cap)) {
            if (count == DOE_MAX_DWORDS) {
                BOOST_LOG_SEV(m_logger, warning)
                    << "DOE Mailbox[" << std::hex << doe_cap << "] still has data after "
                    << std::dec << DOE_MAX_DWORDS << " dwords; reading stopped.";
                break;
            }
            const uint32_t dword = read_mbox(target, doe_cap);
            if (count < wanted) {
                (*buffer)[count] = dword;
            }
            ++count;
            if (count == 2) {
                wanted = doe_object_dwords((*buffer)[1]);
            }
        }
        return record_from(buffer->data());
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
    // One bit of the Status register; a failed read counts as clear.
    bool status_bit(TargetInformation& target, uint32_t doe_cap, const char* field) {
        auto hw = HWIOCreator::create_hwio();
        PCIeDOEStatusRegister status;
        hw->ReadPCI(target.sbdf(), doe_cap, status);
        uint64_t bit = 0;
        status.GetValuebyFieldName(field, bit);
        return bit == 1;
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
