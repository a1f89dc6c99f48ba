#pragma once

#include <string>
#include <unordered_map>

// Reads vendor and device names from "./pci_ids.txt" (the pci.ids layout)
// into the two maps, keyed by numeric ID. Vendor lines start in column 0,
// device lines with one TAB; comments ("#"), device-class headers ("C") and
// subsystem lines (two TABs) are skipped. A name is the rest of its line
// after the ID, blanks included. Device IDs are not qualified by vendor: the
// last line with an ID wins. Returns 1 when the file cannot be opened (maps
// untouched), 0 after reading it.
int Fill_IDs(std::unordered_map<unsigned int, std::string>& vendormap,
             std::unordered_map<unsigned int, std::string>& devicemap);
