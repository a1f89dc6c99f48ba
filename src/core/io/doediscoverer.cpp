#include "core/io/doediscoverer.hpp"

#include <memory>

#include "core/doe/doe_common.hpp"
#include "core/doe/doe_discovery.hpp"
#include "core/doe/pcie_doe.hpp"
#include "core/doe/protocols/discovery.hpp"

namespace tarvo {
namespace io {

DOEDiscoverer::DOEDiscoverer(core::TargetInformation& p_tgt) : m_target(p_tgt) {}

DOEDiscoverer::~DOEDiscoverer() = default;

int DOEDiscoverer::doe_offset(int doetype, uint64_t& offset) {
    std::shared_ptr<core::doe<core::DiscoveryRequest, core::DiscoveryResponse>> transport =
        std::make_shared<core::pcie_doe<core::DiscoveryRequest, core::DiscoveryResponse>>();
    std::shared_ptr<core::Discovery> discovery = std::make_shared<core::DOEDiscovery>(transport);
    for (const core::DOECap& cap : discovery->discover(m_target)) {
        // A type is only a CXL protocol under the CXL vendor ID.
        if (cap.vendor_id == DOE_CXL_VENDOR_ID && static_cast<int>(cap.doe_type) == doetype) {
            offset = cap.offset;
            return 0;
        }
    }
    return 1;
}

}  // namespace io
}  // namespace tarvo
