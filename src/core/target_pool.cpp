#include "core/target_pool.hpp"

#include "common/utility.hpp"

namespace tarvo {

TargetPool::TargetPool(core::DeviceEnumerator& p_enumerator) {
    const target_vector targets = p_enumerator.list_of_targets();
    for (const TargetInformation& target : targets) {
        m_target_map[target.sbdf().sbdf()] = target;
    }
    if (!targets.empty()) {
        m_sut = targets.front().sbdf().sbdf();
    }
}

int TargetPool::count() const { return static_cast<int>(m_target_map.size()); }

bool TargetPool::empty() const { return m_target_map.empty(); }

const TargetPool::TargetInformation& TargetPool::target(uint32_t sbdf) const {
    return m_target_map.at(sbdf);
}

TargetPool::target_vector TargetPool::target_list() const {
    target_vector targets;
    targets.reserve(m_target_map.size());
    MapValueToVec(m_target_map, targets);
    return targets;
}

int TargetPool::set_sut(uint32_t sbdf) {
    if (m_target_map.count(sbdf) == 0) {
        return 0;
    }
    m_sut = sbdf;
    return 1;
}

const TargetPool::TargetInformation& TargetPool::sut() const { return m_target_map.at(m_sut); }

}  // namespace tarvo
