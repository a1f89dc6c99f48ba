#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/devices/device_enumerator.hpp"
#include "core/devices/targetinformation.hpp"

namespace tarvo {

// The CXL target descriptions of one enumeration, by packed address; the
// first one found is the first target under test. Asking for an address that
// is not held raises std::out_of_range.
class TargetPool {
public:
    using TargetInformation = core::TargetInformation;
    using target_vector = std::vector<core::TargetInformation>;

    explicit TargetPool(core::DeviceEnumerator& p_enumerator);

    int count() const;
    bool empty() const;
    const TargetInformation& target(uint32_t sbdf) const;
    // Every target, in no particular order.
    target_vector target_list() const;
    // 1 and the target under test becomes sbdf when it is held; 0 otherwise.
    int set_sut(uint32_t sbdf);
    const TargetInformation& sut() const;

private:
    uint32_t m_sut = 0;
    std::unordered_map<uint32_t, core::TargetInformation> m_target_map;
};

}  // namespace tarvo
