#include "comptests/check_dvsec_vid.hpp"

#include "comptests/cfg_support.hpp"
#include "core/devices/devcomp.hpp"
#include "core/io/hwio/cxl_registers.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

int check_dvsec_vid(core::Testools& tt, DVSEC_ID_t dvsecid, uint64_t& dvsecbase) {
    if (!tt.device || tt.device->GetDVSECOffset(dvsecid, dvsecbase) != 0) {
        tt.messenger->warn_msg("Fail to find PCIe DVSEC for CXL Device");
        return -1;
    }
    tt.messenger->info_msg("Reading Designated Vendor-Specific Header1");
    core::DVSECHeader1 header1;
    if (tt.device->ReadPCI(dvsecbase, header1) != 0) {
        tt.messenger->warn_msg("Fail to read DVSECHeader1");
        return -2;
    }
    const uint64_t vendor = support::field(header1, "DVSECVendorID");
    if (vendor == CXL_DVSEC_VENDOR_ID) {
        return 0;
    }
    tt.messenger->info_msg(support::mismatch_record("DVSECVID", CXL_DVSEC_VENDOR_ID, vendor));
    return -3;
}

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
