#include "core/io/offset_retriever.hpp"

#include <memory>
#include <utility>

#include "core/io/capability_walk.hpp"
#include "core/io/hwio/hwio_creator.hpp"

namespace tarvo {
namespace io {
namespace {

// A reader over a hardware-access object of its own, alive as long as the
// reader (one lookup).
ConfigReader own_reader(SBDF sbdf) {
    std::shared_ptr<core::hwio> hw = core::HWIOCreator::create_hwio();
    return [hw = std::move(hw), sbdf](uint64_t base, core::Register& reg) {
        return hw ? hw->ReadPCI(sbdf, base, reg) : -1;
    };
}

}  // namespace

OffsetRetriever::OffsetRetriever(core::TargetInformation& p_target) : m_target(p_target) {}

int OffsetRetriever::capability_offset(PCI_CAP_TYPE_t captype, uint64_t& offset) const {
    return find_capability(own_reader(m_target.sbdf()), captype, offset);
}

int OffsetRetriever::ext_capability_offset(PCI_CAP_TYPE_t captype, uint64_t& offset) const {
    return find_ext_capability(own_reader(m_target.sbdf()), captype, offset);
}

int OffsetRetriever::ext_capability_offsets(PCI_CAP_TYPE_t captype,
                                            std::vector<uint64_t>& offsets) const {
    return find_ext_capabilities(own_reader(m_target.sbdf()), captype,
                                 [&offsets](uint64_t at) { offsets.push_back(at); });
}

int OffsetRetriever::dvsec_offset(DVSEC_ID_t dvsecid, uint64_t& offset) const {
    return find_dvsec(own_reader(m_target.sbdf()), dvsecid, offset);
}

}  // namespace io
}  // namespace tarvo
