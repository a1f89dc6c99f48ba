#include "core/io/hwio/hwio_creator.hpp"

#include <utility>

#include "core/io/hwio/hwio_linux.hpp"

namespace tarvo {
namespace core {
namespace {
HWIOCreator::Factory& installed_factory() {
    static HWIOCreator::Factory factory;
    return factory;
}

HWIOCreator::Lister& installed_lister() {
    static HWIOCreator::Lister lister;
    return lister;
}
}  // namespace

std::unique_ptr<hwio> HWIOCreator::create_hwio() {
    if (installed_factory()) {
        return installed_factory()();
    }
    return std::make_unique<hwio_linux>();
}

HWIOCreator::Factory HWIOCreator::set_factory(Factory factory) {
    Factory previous = std::move(installed_factory());
    installed_factory() = std::move(factory);
    return previous;
}

void HWIOCreator::list_pci_functions(const EntrySink& entry) {
    if (installed_lister()) {
        installed_lister()(entry);
        return;
    }
    hwio_linux::list_pci_functions(entry);
}

HWIOCreator::Lister HWIOCreator::set_lister(Lister lister) {
    Lister previous = std::move(installed_lister());
    installed_lister() = std::move(lister);
    return previous;
}

}  // namespace core
}  // namespace tarvo
