// The dump converter against the facts the QEMU walk recorded.
#include <gtest/gtest.h>

#include <fstream>
#include <iomanip>
#include <regex>
#include <sstream>

#include "sim/lspci_dump.hpp"

namespace {

using tarvo::SBDF;
using namespace tarvo::sim;

const std::string kDir = std::string(TARVO_FIXTURE_DIR) + "/qemu/";

struct Walk {
    std::string header;                 // "vendor=... header_type=..."
    std::vector<std::string> caps;      // "@0x48 id=0x10 next=0x40"
    std::vector<std::string> ext_caps;  // "@0x150 id=0x0023 ver=1 next=0x178"
    std::vector<std::string> dvsecs;    // "@0x150 vendor=0x1e98 rev=0 len=0x028 id=3"
};

// The walk of one function as pci-walk.txt records it.
Walk recorded_walk(const std::string& function) {
    std::ifstream in(kDir + "pci-walk.txt");
    const std::regex head(function + " (vendor=\\S+ device=\\S+ class=\\S+ rev=\\S+ header_type=\\S+).*");
    const std::regex cap("  cap @(0x[0-9a-f]+): id=(0x[0-9a-f]+) .* next=(0x[0-9a-f]+)");
    const std::regex ext("  ext @(0x[0-9a-f]+): id=(0x[0-9a-f]+) \\(.*\\) ver=(\\d+) next=(0x[0-9a-f]+)( \\| dvsec (vendor=\\S+ rev=\\S+ len=\\S+ id=\\d+))?.*");
    Walk w;
    bool inside = false;
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_match(line, m, head)) {
            inside = true;
            w.header = m[1];
        } else if (line.empty()) {
            inside = false;
        } else if (inside && std::regex_match(line, m, cap)) {
            w.caps.push_back("@" + m[1].str() + " id=" + m[2].str() + " next=" + m[3].str());
        } else if (inside && std::regex_match(line, m, ext)) {
            w.ext_caps.push_back("@" + m[1].str() + " id=" + m[2].str() + " ver=" + m[3].str() +
                                 " next=" + m[4].str());
            if (m[6].matched) w.dvsecs.push_back("@" + m[1].str() + " " + m[6].str());
        }
    }
    return w;
}

std::string hex(uint64_t v, int width = 0) {
    std::ostringstream out;
    out << "0x" << std::hex << std::setfill('0') << std::setw(width) << v;
    return out.str();
}

// The same walk over the loaded configuration space.
Walk loaded_walk(const ConfigSpace& s) {
    Walk w;
    w.header = "vendor=" + hex(s.get16(0), 4) + " device=" + hex(s.get16(2), 4) +
               " class=" + hex(s.get(9, 3), 6) + " rev=" + hex(s.get8(8), 2) +
               " header_type=" + hex(s.get8(0x0E), 2);
    for (size_t p = s.get8(0x34); p != 0 && w.caps.size() < 48; p = s.get8(p + 1)) {
        w.caps.push_back("@" + hex(p) + " id=" + hex(s.get8(p), 2) + " next=" + hex(s.get8(p + 1), 2));
    }
    for (size_t p = 0x100; p != 0 && s.size() > 0x100 && w.ext_caps.size() < 64;) {
        const uint32_t h = s.get32(p);
        const size_t next = h >> 20;
        w.ext_caps.push_back("@" + hex(p) + " id=" + hex(h & 0xFFFF, 4) + " ver=" +
                             std::to_string((h >> 16) & 0xF) + " next=" + hex(next, 3));
        if ((h & 0xFFFF) == 0x23) {
            const uint32_t h1 = s.get32(p + 4);
            w.dvsecs.push_back("@" + hex(p) + " vendor=" + hex(h1 & 0xFFFF, 4) + " rev=" +
                               std::to_string((h1 >> 16) & 0xF) + " len=" + hex(h1 >> 20, 3) +
                               " id=" + std::to_string(s.get16(p + 8)));
        }
        p = next;
    }
    return w;
}

TEST(LspciDump, LoadsTheQemuFunctionsAsTheirWalkRecorded) {
    struct Case { const char* file; const char* name; SBDF sbdf; size_t caps, ext_caps, dvsecs; };
    for (const Case& c : {Case{"config-0000_0c_00_0.txt", "0000:0c:00.0", SBDF(0, 0x0c, 0, 0), 2, 6, 4},
                          Case{"config-0000_0d_00_0.txt", "0000:0d:00.0", SBDF(0, 0x0d, 0, 0), 2, 5, 3}}) {
        SimBus bus;
        const std::vector<SBDF> loaded = load_lspci_dump(bus, kDir + c.file);
        ASSERT_EQ(loaded.size(), 1u);
        EXPECT_EQ(loaded[0].sbdf(), c.sbdf.sbdf());
        const ConfigSpace& s = bus.config(c.sbdf);
        EXPECT_EQ(s.size(), 4096u);
        const Walk want = recorded_walk(c.name);
        const Walk got = loaded_walk(s);
        ASSERT_FALSE(want.header.empty()) << c.name;
        EXPECT_EQ(got.header, want.header);
        // The walk file writes next pointers without padding.
        auto unpad = [](std::vector<std::string> v) {
            for (auto& e : v) e = std::regex_replace(e, std::regex("next=0x0+([0-9a-f])"), "next=0x$1");
            return v;
        };
        EXPECT_EQ(unpad(got.caps), unpad(want.caps));
        EXPECT_EQ(unpad(got.ext_caps), unpad(want.ext_caps));
        EXPECT_EQ(got.dvsecs, want.dvsecs);
        EXPECT_EQ(want.caps.size(), c.caps);
        EXPECT_EQ(want.ext_caps.size(), c.ext_caps);
        EXPECT_EQ(want.dvsecs.size(), c.dvsecs);
    }
}

TEST(LspciDump, MarksTheStructuresItFinds) {
    SimBus bus;
    load_lspci_dump(bus, kDir + "config-0000_0d_00_0.txt");
    const ConfigSpace& s = bus.config(SBDF(0, 0x0d, 0, 0));
    EXPECT_EQ(s.attr(0x88, 0), BitAttr::rw);     // Device Control of the capability at 0x80
    EXPECT_EQ(s.attr(0x8A, 0), BitAttr::rw1c);   // Device Status
    EXPECT_EQ(s.attr(0x118, 0), BitAttr::rw);    // DVSEC CXL Control of the DVSEC at 0x10c
    EXPECT_EQ(s.attr(0x11B, 6), BitAttr::rw1c);  // DVSEC CXL Status: Viral Status
    EXPECT_EQ(s.attr(0x1A0, 0), BitAttr::rw);    // DOE Write Data Mailbox at 0x190
    EXPECT_EQ(s.attr(0x128, 0), BitAttr::ro);    // Range 1 Size Low
}

TEST(LspciDump, SizesAndMalformedDumps) {
    std::istringstream two("00:1f.2 SATA controller\n00: 86 80 22 29\n\n"
                           "0000:0d:00.0 Class 0502\n100: 23 00 01 00\n");
    const auto functions = parse_lspci_dump(two);
    ASSERT_EQ(functions.size(), 2u);
    EXPECT_EQ(functions[0].sbdf.sbdf(), SBDF(0, 0, 0x1f, 2).sbdf());
    EXPECT_EQ(functions[0].space.size(), 256u);
    EXPECT_EQ(functions[0].space.get16(2), 0x2922);
    EXPECT_EQ(functions[1].space.size(), 4096u);
    EXPECT_EQ(functions[1].space.get32(0x100), 0x00010023u);

    for (const char* bad : {"00: 86 80\n", "0000:0d:00.0\n00: 8g\n", "0000:0d:00.0\nff8: " 
                            "00 00 00 00 00 00 00 00 00 00\n", "garbage line\n",
                            "0000:0d:00.0 (config space, 300 bytes)\n",
                            "0000:0d:00.0\n00: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"}) {
        std::istringstream in(bad);
        EXPECT_THROW(parse_lspci_dump(in), std::runtime_error) << bad;
    }
}

}  // namespace
