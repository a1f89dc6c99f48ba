#include "sim/doe_mailbox.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sim/lspci_dump.hpp"

namespace tarvo {
namespace sim {
namespace {

// A request larger than the largest data object is not collected further.
constexpr size_t kMaxObjectDwords = size_t{1} << 18;

uint32_t protocol_key(uint16_t vendor, uint8_t type) {
    return uint32_t{vendor} | uint32_t{type} << 16;
}

// The part of a configuration write that falls on the dword at `reg`: the
// written bytes in place and a mask of the bytes written.
struct DwordWrite {
    uint32_t value = 0;
    uint32_t mask = 0;
    bool any() const { return mask != 0; }
    bool has_byte(unsigned byte) const { return (mask >> (8 * byte)) & 0xFF; }
};

DwordWrite written_at(const ConfigEvent& event, uint32_t reg) {
    DwordWrite w;
    for (uint32_t i = 0; i < event.len; ++i) {
        const uint32_t at = event.offset + i;
        if (at >= reg && at < reg + 4) {
            const unsigned shift = 8 * (at - reg);
            w.value |= uint32_t{event.data[i]} << shift;
            w.mask |= 0xFFu << shift;
        }
    }
    return w;
}

std::vector<uint32_t> bytes_to_dwords(const std::vector<uint8_t>& bytes) {
    std::vector<uint32_t> dwords((bytes.size() + 3) / 4, 0);
    for (size_t i = 0; i < bytes.size(); ++i) {
        dwords[i / 4] |= uint32_t{bytes[i]} << (8 * (i % 4));
    }
    return dwords;
}

}  // namespace

DoeMailbox::DoeMailbox(SimBus& bus, SBDF sbdf, uint32_t cap_offset)
    : m_bus(bus), m_sbdf(sbdf), m_cap(cap_offset) {
    ConfigSpace& space = m_bus.config(sbdf);
    space.set32(m_cap + kDoeControl, 0);
    space.set32(m_cap + kDoeWriteMailbox, 0);
    present(space);
    m_hooks.push_back(m_bus.on_config_write(m_sbdf, m_cap + kDoeControl,
                                            m_cap + kDoeReadMailbox + 4,
                                            [this](const ConfigEvent& e) { on_write(e); }));
    m_hooks.push_back(m_bus.on_config_read(m_sbdf, m_cap + kDoeStatus, m_cap + kDoeStatus + 4,
                                           [this](const ConfigEvent& e) { on_status_read(e); }));
}

DoeMailbox::~DoeMailbox() {
    for (const HookId id : m_hooks) {
        m_bus.remove_hook(id);
    }
}

void DoeMailbox::set_discovery(std::vector<DoeProtocol> protocols) {
    m_protocols = std::move(protocols);
}

void DoeMailbox::set_cdat(std::vector<uint8_t> table) {
    if (table.size() < 16) {
        throw std::invalid_argument("a CDAT starts with its 16-byte header");
    }
    std::vector<std::vector<uint8_t>> entries;
    entries.emplace_back(table.begin(), table.begin() + 16);
    size_t at = 16;
    while (at < table.size()) {
        if (at + 4 > table.size()) {
            throw std::invalid_argument("CDAT structure header cut short");
        }
        const size_t len = table[at + 2] | size_t{table[at + 3]} << 8;
        if (len < 4 || at + len > table.size()) {
            throw std::invalid_argument("CDAT structure length not valid");
        }
        entries.emplace_back(table.begin() + at, table.begin() + at + len);
        at += len;
    }
    m_cdat_entries = std::move(entries);
}

void DoeMailbox::set_responder(uint16_t vendor, uint8_t type, Responder responder) {
    m_responders[protocol_key(vendor, type)] = std::move(responder);
}

void DoeMailbox::stay_busy(unsigned polls) { m_busy_reads = polls; }

void DoeMailbox::set_response_header(uint32_t dword0, uint32_t dword1) {
    m_override_header = true;
    m_header[0] = dword0;
    m_header[1] = dword1;
}

void DoeMailbox::on_status_read(const ConfigEvent& event) {
    ++m_status_reads;
    present(event.space);
    if (m_busy_reads > 0) {
        event.space.set32(m_cap + kDoeStatus, event.space.get32(m_cap + kDoeStatus) | kDoeBusyBit);
        if (m_busy_reads != kForever) {
            --m_busy_reads;
        }
    }
    if (m_error_reads > 0) {
        event.space.set32(m_cap + kDoeStatus, event.space.get32(m_cap + kDoeStatus) | kDoeErrorBit);
        --m_error_reads;
    }
}

void DoeMailbox::on_write(const ConfigEvent& event) {
    ConfigSpace& space = event.space;

    const DwordWrite mailbox_in = written_at(event, m_cap + kDoeWriteMailbox);
    if (mailbox_in.any()) {
        if (m_incoming.size() < kMaxObjectDwords) {
            m_incoming.push_back(mailbox_in.value);
        }
        space.set32(m_cap + kDoeWriteMailbox, 0);
    }

    const DwordWrite mailbox_out = written_at(event, m_cap + kDoeReadMailbox);
    if (mailbox_out.any()) {
        ++m_acknowledged;
        if (m_ready) {
            ++m_position;
            if (m_position >= m_response.size() && !m_keep_ready) {
                m_ready = false;
            }
        }
    }

    const DwordWrite control = written_at(event, m_cap + kDoeControl);
    if (control.any()) {
        // Abort and Go act when written and always read as 0.
        uint32_t kept = space.get32(m_cap + kDoeControl) & kDoeIntEnableBit;
        if (control.has_byte(0)) {
            kept = control.value & kDoeIntEnableBit;
        }
        if (control.has_byte(0) && (control.value & kDoeAbortBit)) {
            ++m_aborts;
            m_incoming.clear();
            m_response.clear();
            m_position = 0;
            m_ready = false;
            m_error = false;
        } else if (control.has_byte(3) && (control.value & kDoeGoBit)) {
            take_request();
        }
        space.set32(m_cap + kDoeControl, kept);
    }

    present(space);
}

void DoeMailbox::take_request() {
    std::vector<uint32_t> request;
    request.swap(m_incoming);
    m_requests.push_back(request);
    std::vector<uint32_t> response = answer(request);
    if (response.empty()) {
        m_error = true;
        return;
    }
    if (m_override_header && response.size() >= 2) {
        response[0] = m_header[0];
        response[1] = m_header[1];
    }
    if (m_never_ready) {
        return;
    }
    m_response = std::move(response);
    m_position = 0;
    m_ready = true;
    if (m_error_with_response) {
        m_error = true;
    }
}

void DoeMailbox::present(ConfigSpace& space) {
    uint32_t status = 0;
    if (m_ready) {
        status |= kDoeReadyBit;
    }
    if (m_error || (m_error_while_ready && m_ready)) {
        status |= kDoeErrorBit;
    }
    space.set32(m_cap + kDoeStatus, status);
    const bool has_dword = m_ready && m_position < m_response.size();
    space.set32(m_cap + kDoeReadMailbox, has_dword ? m_response[m_position] : 0);
}

std::vector<uint32_t> DoeMailbox::answer(const std::vector<uint32_t>& request) {
    if (request.empty()) {
        return {};
    }
    const uint32_t key = request[0] & 0x00FFFFFF;
    const auto custom = m_responders.find(key);
    if (custom != m_responders.end()) {
        return custom->second(request);
    }
    if (key == protocol_key(kDoeDiscoveryProtocol.vendor, kDoeDiscoveryProtocol.type)) {
        return discovery_answer(request);
    }
    if (key == protocol_key(kCxlTableAccessProtocol.vendor, kCxlTableAccessProtocol.type)) {
        return cdat_answer(request);
    }
    return {};
}

std::vector<uint32_t> DoeMailbox::discovery_answer(const std::vector<uint32_t>& request) const {
    if (m_protocols.empty()) {
        return {};
    }
    const size_t index = request.size() > 2 ? (request[2] & 0xFF) : 0;
    const bool last = index + 1 >= m_protocols.size();
    const DoeProtocol& entry = m_protocols[std::min(index, m_protocols.size() - 1)];
    uint32_t next = last ? 0 : static_cast<uint32_t>(index + 1);
    if (last && m_loop_to >= 0) {
        next = static_cast<uint32_t>(m_loop_to);
    }
    return {protocol_key(kDoeDiscoveryProtocol.vendor, kDoeDiscoveryProtocol.type), 3,
            protocol_key(entry.vendor, entry.type) | next << 24};
}

std::vector<uint32_t> DoeMailbox::cdat_answer(const std::vector<uint32_t>& request) const {
    if (request.size() < 3 || (request[2] & 0xFFFF) != 0) {
        return {};  // only Read Entry of the CDAT is known
    }
    const size_t handle = request[2] >> 16;
    if (handle >= m_cdat_entries.size()) {
        return {};
    }
    const std::vector<uint32_t> entry = bytes_to_dwords(m_cdat_entries[handle]);
    const uint32_t next = handle + 1 < m_cdat_entries.size() ? handle + 1 : 0xFFFF;
    std::vector<uint32_t> response{
        protocol_key(kCxlTableAccessProtocol.vendor, kCxlTableAccessProtocol.type),
        static_cast<uint32_t>(3 + entry.size()), next << 16};
    response.insert(response.end(), entry.begin(), entry.end());
    return response;
}

std::vector<uint8_t> make_cdat(const std::vector<std::vector<uint8_t>>& structures) {
    std::vector<uint8_t> table(16, 0);
    for (const auto& s : structures) {
        table.insert(table.end(), s.begin(), s.end());
    }
    const uint32_t length = static_cast<uint32_t>(table.size());
    for (unsigned i = 0; i < 4; ++i) {
        table[i] = static_cast<uint8_t>(length >> (8 * i));
    }
    table[4] = 1;  // revision
    unsigned sum = 0;
    for (const uint8_t b : table) {
        sum += b;
    }
    table[5] = static_cast<uint8_t>(0x100 - (sum & 0xFF));
    return table;
}

namespace {

bool is_dword_token(const std::string& token) {
    return token.size() == 8 && std::all_of(token.begin(), token.end(),
                                            [](unsigned char c) { return std::isxdigit(c) != 0; });
}

// The hexadecimal dwords of a text like "00000001 00000003 00000000".
std::vector<uint32_t> parse_dwords(const std::string& text) {
    std::vector<uint32_t> dwords;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        if (!is_dword_token(token)) {
            throw std::runtime_error("DOE dump: not a dword: " + token);
        }
        dwords.push_back(static_cast<uint32_t>(std::stoul(token, nullptr, 16)));
    }
    return dwords;
}

// A continuation line: nothing but dwords.
bool is_dword_line(const std::string& line) {
    std::istringstream in(line);
    std::string token;
    bool any = false;
    while (in >> token) {
        if (!is_dword_token(token)) {
            return false;
        }
        any = true;
    }
    return any;
}

std::string after_colon(const std::string& line) {
    const size_t colon = line.find("):");
    if (colon == std::string::npos) {
        throw std::runtime_error("DOE dump: no dwords in: " + line);
    }
    return line.substr(colon + 2);
}

}  // namespace

QemuDoeDump load_qemu_doe_dump(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot read DOE dump " + path);
    }
    QemuDoeDump dump;
    enum class Section { none, discovery, cdat } section = Section::none;
    std::vector<uint32_t>* open_response = nullptr;
    std::string line;
    while (std::getline(in, line)) {
        const size_t first = line.find_first_not_of(' ');
        const std::string text = first == std::string::npos ? std::string() : line.substr(first);
        if (open_response != nullptr && is_dword_line(text)) {
            const auto more = parse_dwords(text);
            open_response->insert(open_response->end(), more.begin(), more.end());
            continue;
        }
        open_response = nullptr;
        if (text.rfind("DOE mailbox @0x", 0) == 0 && dump.cap_offset == 0) {
            dump.cap_offset = static_cast<uint32_t>(std::stoul(text.substr(15), nullptr, 16));
        } else if (text.rfind("Discovery (", 0) == 0) {
            section = Section::discovery;
        } else if (text.rfind("CDAT (", 0) == 0) {
            section = Section::cdat;
        } else if (text.rfind("request ", 0) == 0) {
            dump.exchanges.push_back({parse_dwords(after_colon(text)), {}});
        } else if (text.rfind("response (", 0) == 0) {
            if (dump.exchanges.empty() || section == Section::none) {
                throw std::runtime_error("DOE dump: response without request");
            }
            dump.exchanges.back().response = parse_dwords(after_colon(text));
            open_response = &dump.exchanges.back().response;
        }
    }
    for (const DoeExchange& x : dump.exchanges) {
        if (x.response.size() < 3) {
            throw std::runtime_error("DOE dump: short response");
        }
        const uint32_t key = x.response[0] & 0x00FFFFFF;
        if (key == protocol_key(kDoeDiscoveryProtocol.vendor, kDoeDiscoveryProtocol.type)) {
            dump.protocols.push_back({static_cast<uint16_t>(x.response[2] & 0xFFFF),
                                      static_cast<uint8_t>((x.response[2] >> 16) & 0xFF)});
        } else {
            for (size_t i = 3; i < x.response.size(); ++i) {
                for (unsigned b = 0; b < 4; ++b) {
                    dump.cdat.push_back(static_cast<uint8_t>(x.response[i] >> (8 * b)));
                }
            }
        }
    }
    if (dump.cap_offset == 0 || dump.protocols.empty() || dump.cdat.empty()) {
        throw std::runtime_error("DOE dump " + path + " holds no complete mailbox");
    }
    return dump;
}

const QemuDoeDump& qemu_type3_doe() {
    static const QemuDoeDump dump = load_qemu_doe_dump(TARVO_FIXTURE_DIR "/qemu/doe.txt");
    return dump;
}

void answer_like_qemu_type3(DoeMailbox& mailbox) {
    mailbox.set_discovery(qemu_type3_doe().protocols);
    mailbox.set_cdat(qemu_type3_doe().cdat);
}

std::unique_ptr<DoeMailbox> add_qemu_type3(SimBus& bus) {
    for (const DumpedFunction& f :
         load_lspci_dump(TARVO_FIXTURE_DIR "/qemu/config-0000_0d_00_0.txt")) {
        if (f.sbdf.sbdf() == kQemuType3Function.sbdf()) {
            bus.add_function(f.sbdf, f.space);
            auto mailbox = std::make_unique<DoeMailbox>(bus, f.sbdf, qemu_type3_doe().cap_offset);
            answer_like_qemu_type3(*mailbox);
            return mailbox;
        }
    }
    throw std::runtime_error("the QEMU configuration dump holds no function 0d:00.0");
}

}  // namespace sim
}  // namespace tarvo
