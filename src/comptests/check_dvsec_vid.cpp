#include "comptests/check_dvsec_vid.hpp"

#include <sstream>

#include "core/devices/devcomp.hpp"
#include "core/io/hwio/cxl_registers.hpp"

namespace tarvo {
namespace compliance {
namespace v2d0 {

int check_dvsec_vid(core::Testools& tt, DVSEC_ID_t dvsecid, uint64_t& dvsecbase) {
    core::DVSECHeader1 header1;
    header1.SetValue(0);
    if (!tt.device || tt.device->GetDVSECOffset(dvsecid, dvsecbase) != 0) {
        tt.messenger->warn_msg("Fail to find PCIe DVSEC for CXL Device");
        return -1;
    }
    tt.messenger->info_msg("Reading Designated Vendor-Specific Header1");
    if (tt.device->ReadPCI(dvsecbase, header1) != 0) {
        tt.messenger->warn_msg("Fail to read DVSECHeader1");
        return -2;
    }
    uint64_t vendor = 0;
    header1.GetValuebyFieldName("DVSECVendorID", vendor);
    if (vendor == CXL_DVSEC_VENDOR_ID) {
        return 0;
    }
    std::ostringstream msg;
    msg << std::hex << "Mismatch field DVSECVID expected:0x" << CXL_DVSEC_VENDOR_ID << " read:0x"
        << vendor << "\n";
    tt.messenger->info_msg(msg.str());
    return -3;
}

}  // namespace v2d0
}  // namespace compliance
}  // namespace tarvo
