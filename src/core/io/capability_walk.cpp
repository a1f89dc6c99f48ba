#include "core/io/capability_walk.hpp"

#include <bitset>

#include "core/io/hwio/cxl_registers.hpp"

namespace tarvo {
namespace io {
namespace {

constexpr uint64_t kFirstStandardCapability = 0x40;  // end of the type 0/1 header
constexpr uint64_t kFirstExtCapability = 0x100;
constexpr uint64_t kConfigSpaceSize = 0x1000;
constexpr uint64_t kAllOnesHeader = 0xFFFFFFFF;

uint64_t dword_aligned(uint64_t offset) { return offset & ~uint64_t{3}; }

// Dword positions of the configuration space already visited by one walk.
class Visited {
public:
    // True the first time an offset is seen.
    bool first_visit(uint64_t offset) {
        const uint64_t index = offset / 4;
        if (index >= seen.size() || seen.test(index)) {
            return false;
        }
        seen.set(index);
        return true;
    }

private:
    std::bitset<kConfigSpaceSize / 4> seen;
};

// What a visitor of the extended walk decides for one header.
enum class Step { next, stop, fail };
// How an extended walk ended.
enum class WalkEnd { stopped, end_of_list, failed };

using ExtVisitor = std::function<Step(uint64_t offset, uint64_t cap_id)>;

WalkEnd walk_ext_capabilities(const ConfigReader& read, const ExtVisitor& visit,
                              DvsecWalkObserver* observer) {
    DvsecWalkObserver quiet;
    DvsecWalkObserver& obs = observer != nullptr ? *observer : quiet;
    Visited visited;
    uint64_t offset = kFirstExtCapability;
    for (unsigned n = 0; n < kMaxExtCapabilities; ++n) {
        if (!visited.first_visit(offset)) {
            return WalkEnd::end_of_list;
        }
        core::PCIeExtCapHeader header;
        if (read(offset, header) != 0) {
            obs.header_read_failed();
            return WalkEnd::failed;
        }
        const uint64_t raw = header.GetValue();
        if (raw == 0) {
            obs.null_header();
            return WalkEnd::failed;
        }
        if (raw == kAllOnesHeader) {  // function gone or not answering
            return WalkEnd::failed;
        }
        uint64_t cap_id = 0;
        if (header.GetValuebyFieldName("PCIeExtCapID", cap_id) != 0) {
            obs.cap_id_unreadable();
            return WalkEnd::failed;
        }
        switch (visit(dword_aligned(offset), cap_id)) {
            case Step::stop:
                return WalkEnd::stopped;
            case Step::fail:
                return WalkEnd::failed;
            case Step::next:
                break;
        }
        uint64_t next = 0;
        if (header.GetValuebyFieldName("NextCapOffset", next) != 0) {
            return WalkEnd::failed;
        }
        next = dword_aligned(next);
        if (next < kFirstExtCapability) {  // 0 ends the list; lower values are malformed
            return WalkEnd::end_of_list;
        }
        offset = next;
    }
    return WalkEnd::end_of_list;
}

}  // namespace

int find_capability(const ConfigReader& read, uint32_t cap_id, uint64_t& offset) {
    core::CapPointer cap_pointer;
    if (read(0, cap_pointer) != 0) {
        return -1;
    }
    uint64_t pointer = dword_aligned(cap_pointer.GetValue());
    Visited visited;
    for (unsigned n = 0; n < kMaxCapabilities; ++n) {
        if (pointer < kFirstStandardCapability || !visited.first_visit(pointer)) {
            return -1;
        }
        core::PCIeCapList entry;
        uint64_t id = 0;
        uint64_t next = 0;
        if (read(pointer, entry) != 0 || entry.GetValuebyFieldName("CapID", id) != 0 ||
            entry.GetValuebyFieldName("NextCapPointer", next) != 0) {
            return -1;
        }
        if (id == cap_id) {
            offset = pointer;
            return 0;
        }
        pointer = dword_aligned(next);
    }
    return -1;
}

int find_ext_capability(const ConfigReader& read, uint32_t cap_id, uint64_t& offset) {
    uint64_t match = 0;
    const WalkEnd end = walk_ext_capabilities(
        read,
        [&](uint64_t at, uint64_t id) {
            if (id != cap_id) {
                return Step::next;
            }
            match = at;
            return Step::stop;
        },
        nullptr);
    if (end != WalkEnd::stopped) {
        return -1;
    }
    offset = match;
    return 0;
}

int find_ext_capabilities(const ConfigReader& read, uint32_t cap_id,
                          const std::function<void(uint64_t)>& found) {
    const WalkEnd end = walk_ext_capabilities(
        read,
        [&](uint64_t at, uint64_t id) {
            if (id == cap_id) {
                found(at);
            }
            return Step::next;
        },
        nullptr);
    return end == WalkEnd::failed ? -1 : 0;
}

int find_dvsec(const ConfigReader& read, uint32_t dvsec_id, uint64_t& offset,
               DvsecWalkObserver* observer) {
    uint64_t match = 0;
    const WalkEnd end = walk_ext_capabilities(
        read,
        [&](uint64_t at, uint64_t id) {
            if (id != DVSEC_CAP_ID) {
                return Step::next;
            }
            core::DVSECHeader1 header1;
            core::DVSECHeader2 header2;
            uint64_t vendor = 0;
            uint64_t found_id = 0;
            if (read(at, header1) != 0 || read(at, header2) != 0 ||
                header1.GetValuebyFieldName("DVSECVendorID", vendor) != 0 ||
                header2.GetValuebyFieldName("DVSECID", found_id) != 0) {
                return Step::fail;
            }
            if (observer != nullptr) {
                observer->dvsec_seen(dvsec_id, vendor, found_id);
            }
            if (vendor != CXL_DVSEC_VENDOR_ID || found_id != dvsec_id) {
                return Step::next;
            }
            match = at;
            return Step::stop;
        },
        observer);
    if (end != WalkEnd::stopped) {
        return -1;
    }
    offset = match;
    return 0;
}

}  // namespace io
}  // namespace tarvo
