#pragma once

#include <istream>
#include <string>
#include <vector>

#include "common/sbdf.hpp"
#include "sim/sim_bus.hpp"

namespace tarvo {
namespace sim {

struct DumpedFunction {
    SBDF sbdf;
    ConfigSpace space;
};

// Reads configuration-space dumps in the hexadecimal layout of "lspci -xxxx":
// a line naming the function ("0000:0d:00.0 ..." or "0d:00.0 ..."), then lines
// "<offset>: <up to 16 bytes>". "(config space, N bytes)" on the naming line
// gives the size; otherwise it is 4096 when any byte lies at 0x100 or above,
// else 256. The write behaviour of the structures found is marked as
// mark_known_structures does. A malformed line raises std::runtime_error
// naming its line number.
std::vector<DumpedFunction> parse_lspci_dump(std::istream& in);
std::vector<DumpedFunction> load_lspci_dump(const std::string& path);

// Loads every function of the dump file into bus; returns their addresses.
std::vector<SBDF> load_lspci_dump(SimBus& bus, const std::string& path);

}  // namespace sim
}  // namespace tarvo
