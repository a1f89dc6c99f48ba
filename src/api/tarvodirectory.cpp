#include "api/tarvodirectory.hpp"

#include <utility>

namespace tarvo {

using core::SortFilterOptions;
using types::TestData;
using types::TestIDFilter;

TarvoDirectory::TarvoDirectory(std::shared_ptr<TestInfoServices> testinfo,
                               std::shared_ptr<DeviceServices> devices)
    : m_testinfo(std::move(testinfo)), m_devices(std::move(devices)) {}

std::vector<TestData> TarvoDirectory::default_testlist() { return m_testinfo->list(); }

// The sorted lists order fully: within one group by spec then number, within
// one number by spec then group.
std::vector<TestData> TarvoDirectory::testlist_sorted_on_group() {
    return m_testinfo->sort_by(core::GROUP_SPEC_AND_ID);
}

std::vector<TestData> TarvoDirectory::testlist_sorted_on_id() {
    return m_testinfo->sort_by(core::ID_SPEC_GROUP);
}

// A filter compares only the keys of its order; the others are placeholders.
std::vector<TestData> TarvoDirectory::testlist_filter_spec(float spec) {
    return m_testinfo->filter_by(core::SPEC, TestIDFilter(spec, "", 0));
}

std::vector<TestData> TarvoDirectory::testlist_filter_group(std::string group) {
    return m_testinfo->filter_by(core::GROUP, TestIDFilter(0, std::move(group), 0));
}

std::vector<TestData> TarvoDirectory::testlist_filter_id(int id) {
    return m_testinfo->filter_by(core::ID, TestIDFilter(0, "", id));
}

std::vector<TestData> TarvoDirectory::testlist_filter_spec_and_group(float spec,
                                                                     std::string group) {
    return m_testinfo->filter_by(core::SPEC_AND_GROUP, TestIDFilter(spec, std::move(group), 0));
}

std::vector<TestData> TarvoDirectory::testlist_filter_spec_and_id(float spec, int id) {
    return m_testinfo->filter_by(core::SPEC_AND_ID, TestIDFilter(spec, "", id));
}

std::vector<TestData> TarvoDirectory::testlist_filter_group_and_id(std::string group, int id) {
    return m_testinfo->filter_by(core::GROUP_AND_ID, TestIDFilter(0, std::move(group), id));
}

TestData TarvoDirectory::testinfo(std::string key) { return m_testinfo->info(key); }

std::vector<core::DeviceInformation> TarvoDirectory::devicelist() {
    return m_devices->devices();
}

core::DeviceInformation TarvoDirectory::current_sut() { return m_devices->current_sut(); }

core::TargetInformation TarvoDirectory::current_sut_target() {
    return m_devices->current_sut_target();
}

void TarvoDirectory::set_sut(core::DeviceInformation device) { m_devices->set_sut(device.sbdf); }

}  // namespace tarvo
