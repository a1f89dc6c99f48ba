#pragma once

// ACPI tables for the simulated host: the CEDT with its CXL Host Bridge
// Structures (CHBS) and CXL Fixed Memory Window Structures (CFMWS), built in
// the layout QEMU's firmware gives them, and a loader for the hexadecimal
// dump of a table in the layout of fixtures/qemu/acpi.txt.
//
//   bus->set_acpi_table("CEDT", sim::cedt_table({sim::cedt_chbs(12, 0, 0xFED00000, 0x2000)}));

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {
namespace sim {

// A CXL Host Bridge Structure (type 0, 32 bytes): host bridge UID, CXL
// version (0 for a CXL 1.1 host bridge with an RCRB, 1 for component
// registers), base and length of the register region.
std::vector<uint8_t> cedt_chbs(uint32_t uid, uint32_t cxl_version, uint64_t base,
                               uint64_t length);

// A CXL Fixed Memory Window Structure (type 1) of one window interleaved
// over the host bridges with the given UIDs.
struct FixedMemoryWindow {
    uint64_t base_hpa;
    uint64_t size;
    uint8_t eniw = 0;
    uint8_t interleave_arithmetic = 0;
    uint32_t hbig = 0;
    uint16_t restrictions = 0x000F;
    uint16_t qtg_id = 0;
    std::vector<uint32_t> targets;
};
std::vector<uint8_t> cedt_cfmws(const FixedMemoryWindow& window);

// The CEDT (revision 1) of these structures, in order, behind the 36-byte
// ACPI header that QEMU writes ("BOCHS ", "BXPC    ", "BXPC"), with its
// length and checksum.
std::vector<uint8_t> cedt_table(const std::vector<std::vector<uint8_t>>& structures);

// The bytes of the "hex:" section of a table dump: lines "<offset>: <bytes>"
// after a line "hex:". A missing section, a line out of sequence or a byte
// that is not two hexadecimal digits raises std::runtime_error naming the
// line.
std::vector<uint8_t> load_acpi_dump(const std::string& path);

}  // namespace sim
}  // namespace tarvo
