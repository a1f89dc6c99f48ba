#pragma once

#include <string>

#include "services/testinfoservices.hpp"

namespace tarvo {

// The catalogue read from the test-case file.
class TarvoTestInfoServices : public TestInfoServices {
public:
    explicit TarvoTestInfoServices(std::string testcase_file);

    std::vector<types::TestData> list() override;
    std::vector<types::TestData> sort_by(core::SortFilterOptions order) override;
    std::vector<types::TestData> filter_by(core::SortFilterOptions order,
                                           types::TestIDFilter filter) override;
    std::vector<types::TestData> list_for_port(PORT_TYPE_t port) override;
    types::TestData info(const std::string& key) override;

private:
    std::string m_testcase_file;
};

}  // namespace tarvo
