#pragma once

// Shared set-up of the DOE tests: a simulated function, the waits asked for
// (recorded instead of slept, also for the configuration and reset test
// fixtures), the configuration accesses to a mailbox and the ways a mailbox
// answers badly.

#include <chrono>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/sleep.hpp"
#include "core/devices/targetinformation.hpp"
#include "sim/config_builder.hpp"
#include "sim/doe_mailbox.hpp"
#include "sim/sim_hwio.hpp"
#include "unit/model/log_capture.hpp"

namespace doetest {

using std::chrono::milliseconds;

// Records every wait instead of sleeping, while it lives.
class SleepRecorder {
public:
    SleepRecorder()
        : m_previous(tarvo::set_sleep_function([this](milliseconds d) { m_waits.push_back(d); })) {}
    ~SleepRecorder() { tarvo::set_sleep_function(std::move(m_previous)); }
    SleepRecorder(const SleepRecorder&) = delete;
    SleepRecorder& operator=(const SleepRecorder&) = delete;

    const std::vector<milliseconds>& waits() const { return m_waits; }
    void clear() { m_waits.clear(); }

private:
    std::vector<milliseconds> m_waits;
    tarvo::SleepFunction m_previous;
};

inline tarvo::core::TargetInformation target_at(tarvo::SBDF sbdf) {
    return tarvo::core::TargetInformation("", "", 0, 0, "", tarvo::core::GT16, tarvo::core::x4,
                                          tarvo::core::endpoint, tarvo::core::cem, false, "",
                                          PCIE_EP, tarvo::core::type3, false, false, sbdf, true);
}

// A simulated bus whose hardware access every component reaches, with the
// waits and the log records of the test.
struct SimDevice {
    std::shared_ptr<tarvo::sim::SimBus> bus = std::make_shared<tarvo::sim::SimBus>();
    tarvo::sim::ScopedHwioFactory factory{bus};
    SleepRecorder sleeps;
    LogCapture log;
};

// One configuration access, as a test compares it.
struct Touch {
    bool write;
    uint32_t offset;
    uint32_t value;
    bool operator==(const Touch& o) const {
        return write == o.write && offset == o.offset && value == o.value;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Touch& t) {
    return os << (t.write ? "W " : "R ") << std::hex << t.offset << '=' << t.value << std::dec;
}

// The configuration accesses of the log within [begin, end).
inline std::vector<Touch> touches(const tarvo::sim::SimBus& bus, uint32_t begin, uint32_t end) {
    std::vector<Touch> out;
    for (const auto& a : bus.log()) {
        const bool write = a.kind == tarvo::sim::AccessKind::config_write;
        if ((write || a.kind == tarvo::sim::AccessKind::config_read) && a.address >= begin &&
            a.address < end) {
            out.push_back(
                {write, static_cast<uint32_t>(a.address), static_cast<uint32_t>(a.value)});
        }
    }
    return out;
}

inline std::string hex(uint64_t value) {
    std::ostringstream text;
    text << std::hex << value;
    return text.str();
}

// How a mailbox shows DOE Error beside an answer: not at all, from the
// response on, or only while it presents the response (Error drops with
// Ready once the last dword is taken).
enum class ErrorBit { clear, with_response, while_ready };

// One answer of a mailbox: the dwords it presents, how it shows Error beside
// them, whether it keeps Ready set after them, and what the system names as
// wrong with it (empty for a well-formed answer).
struct Answer {
    const char* name;
    std::vector<uint32_t> dwords;  // none: the mailbox does not answer
    ErrorBit error = ErrorBit::clear;
    bool stuck = false;
    std::string fault;
};

// What a responder of `box` hands back for `answer`, with the Error or the
// stuck Ready that goes with it armed.
inline std::vector<uint32_t> present(tarvo::sim::DoeMailbox& box, const Answer& answer) {
    box.error_with_response(answer.error == ErrorBit::with_response);
    box.error_while_ready(answer.error == ErrorBit::while_ready);
    box.keep_ready(answer.stuck);
    return answer.dwords;
}

// Discovery on `box`: index 0 lists DOE Discovery and leads to index 1,
// which gets `answer`; index 2 lists CXL Compliance, the last entry.
inline void answer_discovery_index_1(tarvo::sim::DoeMailbox& box, const Answer& answer) {
    box.set_responder(0x0001, 0, [&box, answer](const std::vector<uint32_t>& request) {
        switch (request.at(2) & 0xFF) {
            case 0:
                return std::vector<uint32_t>{0x00000001, 3, 0x01000001};
            case 1:
                return present(box, answer);
            default:
                return std::vector<uint32_t>{0x00000001, 3, 0x00001E98};
        }
    });
}

// Answers to Discovery index 1 that list CXL Table Access and lead to index
// 2, the first one well-formed, each other one malformed in its own way.
inline const std::vector<Answer>& discovery_answers() {
    static const std::vector<Answer> answers = {
        {"well-formed", {0x00000001, 3, 0x02021E98}, ErrorBit::clear, false, ""},
        {"header only",
         {0x00000001, 3},
         ErrorBit::clear,
         false,
         "length field 3 dwords, 2 dwords presented"},
        {"length field longer than the dwords presented",
         {0x00000001, 4, 0x02021E98},
         ErrorBit::clear,
         false,
         "length field 4 dwords, 3 dwords presented"},
        {"length field shorter than the dwords presented",
         {0x00000001, 3, 0x02021E98, 0},
         ErrorBit::clear,
         false,
         "length field 3 dwords, 4 dwords presented"},
        {"Error beside a valid response",
         {0x00000001, 3, 0x02021E98},
         ErrorBit::with_response,
         false,
         "Error set"},
        {"Error only while the response is presented",
         {0x00000001, 3, 0x02021E98},
         ErrorBit::while_ready,
         false,
         "Error set"},
        {"Ready never clears",
         {0x00000001, 3, 0x02021E98},
         ErrorBit::clear,
         true,
         "Ready still set after 262144 dwords"},
        {"header of another object",
         {0x00021E98, 3, 0x02021E98},
         ErrorBit::clear,
         false,
         "header vendor 0x1e98 type 0x2, not DOE Discovery"},
        {"Discovery object of four dwords",
         {0x00000001, 4, 0x02021E98, 0},
         ErrorBit::clear,
         false,
         "length field 4 dwords, a Discovery response has 3"},
    };
    return answers;
}

// The transport's warning when a mailbox at `cap` keeps Ready set.
inline std::string stuck_warning(uint32_t cap) {
    return "DOE Mailbox[" + hex(cap) + "] still has data after 262144 dwords; reading stopped.";
}

// The Discovery walk's warning for a malformed answer.
inline std::string malformed_discovery(uint32_t cap, unsigned index, const std::string& fault) {
    return "DOE Discovery of the mailbox at 0x" + hex(cap) + " stops at index 0x" + hex(index) +
           ", its response is malformed: " + fault + ".";
}

}  // namespace doetest
