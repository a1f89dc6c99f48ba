#pragma once

#include <functional>
#include <memory>

#include "core/io/hwio/hwio.hpp"

namespace tarvo {
namespace core {

// Makes the hardware-access object of one operation, and lists the functions
// the system presents.
class HWIOCreator {
public:
    // A new hwio_linux, unless a factory has been installed.
    static std::unique_ptr<hwio> create_hwio();

    // Test seam: code that creates its own hardware-access object then reaches
    // what the factory makes (a simulated device). An empty factory restores
    // the default. Returns the factory in place before.
    using Factory = std::function<std::unique_ptr<hwio>()>;
    static Factory set_factory(Factory factory);

    // Passes each name of the folder of PCI functions to entry, from one
    // listing made now (nothing is kept for a later call); an unreadable or
    // missing folder lists nothing. The names are the folder's own, in its
    // own order, unfiltered.
    using EntrySink = std::function<void(const char* name)>;
    static void list_pci_functions(const EntrySink& entry);

    // Test seam beside the factory: what list_pci_functions lists (the
    // functions of a simulated device). An empty lister restores the
    // default. Returns the lister in place before.
    using Lister = std::function<void(const EntrySink& entry)>;
    static Lister set_lister(Lister lister);
};

}  // namespace core
}  // namespace tarvo
