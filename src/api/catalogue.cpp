#include "api/catalogue.hpp"

#include <utility>

#include "api/unavailable.hpp"

namespace tarvo {

namespace {
constexpr const char* what = "Test catalogue";
}

TarvoTestInfoServices::TarvoTestInfoServices(std::string testcase_file)
    : m_testcase_file(std::move(testcase_file)) {}

std::vector<types::TestData> TarvoTestInfoServices::list() {
    say_not_available(what);
    return {};
}

std::vector<types::TestData> TarvoTestInfoServices::sort_by(core::SortFilterOptions) {
    return list();
}

std::vector<types::TestData> TarvoTestInfoServices::filter_by(core::SortFilterOptions,
                                                              types::TestIDFilter) {
    return list();
}

std::vector<types::TestData> TarvoTestInfoServices::list_for_port(PORT_TYPE_t) { return list(); }

types::TestData TarvoTestInfoServices::info(const std::string&) {
    say_not_available(what);
    return types::ErrorTestData();
}

}  // namespace tarvo
