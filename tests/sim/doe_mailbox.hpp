#pragma once

// A DOE mailbox on a simulated function, behind the DOE extended capability
// at a given configuration offset. It behaves as the PCIe DOE rules say: it
// collects the dwords written to the Write Data Mailbox, takes them as one
// request when Go is written, answers at once (Data Object Ready set, the
// first response dword in the Read Data Mailbox) and presents the next dword
// each time the Read Data Mailbox is written, clearing Ready after the last.
// Abort drops everything; a request of an unknown protocol sets DOE Error.
//
//   auto bus = std::make_shared<sim::SimBus>();
//   bus->add_function(sbdf, sim::ConfigBuilder().pcie_cap(PCIE_EP).doe().build());
//   sim::DoeMailbox mailbox(*bus, sbdf, 0x100);
//   mailbox.set_discovery({sim::kDoeDiscoveryProtocol, sim::kCxlTableAccessProtocol});
//   mailbox.set_cdat(sim::make_cdat({...}));
//   sim::ScopedHwioFactory guard(bus);
//   ... code under test exchanges objects; mailbox.requests() shows them ...
//
// Misbehaviours for the error paths: stay_busy, never_ready, keep_ready,
// error_with_response, error_while_ready, error_at_status_reads,
// set_response_header, loop_discovery, set_responder (which also gives
// answers cut short or overlong).
//
// The mailbox installs its hooks on the bus in its constructor and removes
// them in its destructor; the bus and the function must outlive it.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/sbdf.hpp"
#include "sim/sim_bus.hpp"

namespace tarvo {
namespace sim {

// Register offsets from the DOE capability and their bits.
constexpr uint32_t kDoeControl = 0x08;
constexpr uint32_t kDoeStatus = 0x0C;
constexpr uint32_t kDoeWriteMailbox = 0x10;
constexpr uint32_t kDoeReadMailbox = 0x14;
constexpr uint32_t kDoeAbortBit = 1u << 0;
constexpr uint32_t kDoeIntEnableBit = 1u << 1;
constexpr uint32_t kDoeGoBit = 1u << 31;
constexpr uint32_t kDoeBusyBit = 1u << 0;
constexpr uint32_t kDoeErrorBit = 1u << 2;
constexpr uint32_t kDoeReadyBit = 1u << 31;

// A protocol as DOE Discovery lists it.
struct DoeProtocol {
    uint16_t vendor;
    uint8_t type;
};
constexpr DoeProtocol kDoeDiscoveryProtocol{0x0001, 0};
constexpr DoeProtocol kCxlComplianceProtocol{0x1E98, 0};
constexpr DoeProtocol kCxlTableAccessProtocol{0x1E98, 2};

class DoeMailbox {
public:
    // Answers one request (all its dwords, header included) with the dwords
    // of the response; an empty answer means the mailbox does not answer.
    using Responder = std::function<std::vector<uint32_t>(const std::vector<uint32_t>& request)>;

    // For stay_busy: Busy on every Status read.
    static constexpr unsigned kForever = ~0u;

    DoeMailbox(SimBus& bus, SBDF sbdf, uint32_t cap_offset);
    ~DoeMailbox();
    DoeMailbox(const DoeMailbox&) = delete;
    DoeMailbox& operator=(const DoeMailbox&) = delete;

    uint32_t offset() const { return m_cap; }

    // What it answers. Discovery lists the given protocols in index order
    // (by default DOE Discovery alone); an index past the list is answered
    // with the last entry. The CDAT is served through Table Access Read
    // Entry: handle 0 is the CDAT header, handle n the n-th structure, the
    // last one points to 0xFFFF; an unknown handle is not answered. A
    // responder set for a vendor and type replaces the built-in one.
    void set_discovery(std::vector<DoeProtocol> protocols);
    void set_cdat(std::vector<uint8_t> table);
    void set_responder(uint16_t vendor, uint8_t type, Responder responder);

    // Misbehaviours.
    // The next `polls` reads of the Status register show Busy.
    void stay_busy(unsigned polls);
    // Requests are taken but Ready never comes.
    void never_ready(bool on = true) { m_never_ready = on; }
    // Ready stays set after the last response dword; zeros follow.
    void keep_ready(bool on = true) { m_keep_ready = on; }
    // DOE Error is set as each response is presented, the response whole.
    void error_with_response(bool on = true) { m_error_with_response = on; }
    // The next `reads` reads of the Status register show DOE Error, which
    // then drops by itself.
    void error_at_status_reads(unsigned reads) { m_error_reads = reads; }
    // DOE Error shows only while Data Object Ready is set: it drops with
    // Ready once the last response dword is taken.
    void error_while_ready(bool on = true) { m_error_while_ready = on; }
    // Every response goes out with these two header dwords.
    void set_response_header(uint32_t dword0, uint32_t dword1);
    // The last Discovery entry leads to `index` instead of 0, so the chain
    // never ends.
    void loop_discovery(uint8_t index) { m_loop_to = index; }

    // What the system did.
    // Each request taken on Go, in order.
    const std::vector<std::vector<uint32_t>>& requests() const { return m_requests; }
    // Reads of the Status register.
    unsigned status_reads() const { return m_status_reads; }
    // Writes to the Read Data Mailbox (each takes one dword).
    unsigned acknowledged() const { return m_acknowledged; }
    unsigned aborts() const { return m_aborts; }

private:
    void on_write(const ConfigEvent& event);
    void on_status_read(ConfigEvent const& event);
    void take_request();
    void present(ConfigSpace& space);
    std::vector<uint32_t> answer(const std::vector<uint32_t>& request);
    std::vector<uint32_t> discovery_answer(const std::vector<uint32_t>& request) const;
    std::vector<uint32_t> cdat_answer(const std::vector<uint32_t>& request) const;

    SimBus& m_bus;
    SBDF m_sbdf;
    uint32_t m_cap;
    std::vector<HookId> m_hooks;

    std::vector<DoeProtocol> m_protocols{kDoeDiscoveryProtocol};
    std::vector<std::vector<uint8_t>> m_cdat_entries;
    std::map<uint32_t, Responder> m_responders;  // by vendor | type << 16

    unsigned m_busy_reads = 0;
    unsigned m_error_reads = 0;
    bool m_never_ready = false;
    bool m_keep_ready = false;
    bool m_error_with_response = false;
    bool m_error_while_ready = false;
    bool m_override_header = false;
    uint32_t m_header[2] = {0, 0};
    int m_loop_to = -1;

    std::vector<uint32_t> m_incoming;
    std::vector<uint32_t> m_response;
    size_t m_position = 0;
    bool m_ready = false;
    bool m_error = false;

    std::vector<std::vector<uint32_t>> m_requests;
    unsigned m_status_reads = 0;
    unsigned m_acknowledged = 0;
    unsigned m_aborts = 0;
};

// A CDAT image from its structures (each with its own length at bytes 2-3):
// the 16-byte header with length, revision 1 and a checksum that makes the
// byte sum 0, then the structures.
std::vector<uint8_t> make_cdat(const std::vector<std::vector<uint8_t>>& structures);

// One request and its response as recorded from a device.
struct DoeExchange {
    std::vector<uint32_t> request;
    std::vector<uint32_t> response;
};

// The DOE behaviour of QEMU's emulated CXL Type 3 device (function 0d:00.0,
// mailbox at 0x190), read from the dump tests/fixtures/qemu/doe.txt:
// Discovery lists DOE Discovery and CXL Table Access; the CDAT is 160 bytes
// (header, one DSMAS, four DSLBIS, one DSEMTS).
struct QemuDoeDump {
    uint32_t cap_offset = 0;
    std::vector<DoeProtocol> protocols;
    std::vector<uint8_t> cdat;
    std::vector<DoeExchange> exchanges;  // as recorded, Discovery first
};
// Parses the dump; a file that cannot be read or parsed raises
// std::runtime_error.
QemuDoeDump load_qemu_doe_dump(const std::string& path);
const QemuDoeDump& qemu_type3_doe();  // the fixture, read once
// Makes the mailbox answer as QEMU's Type 3 device does.
void answer_like_qemu_type3(DoeMailbox& mailbox);

// QEMU's Type 3 function 0d:00.0 on the bus, its configuration space from
// tests/fixtures/qemu/config-0000_0d_00_0.txt, with its mailbox at 0x190
// answering as QEMU's does.
inline const SBDF kQemuType3Function{0, 0x0d, 0, 0};
std::unique_ptr<DoeMailbox> add_qemu_type3(SimBus& bus);

}  // namespace sim
}  // namespace tarvo
