#pragma once

#include <string>

#include "core/testproperties.hpp"
#include "services/testinfoservices.hpp"

namespace tarvo {

// The token that names a port type in the catalogue's "port" lists (EP, LEP,
// RP, USP, DSP, RCIEP, RCEC); null for a port type that has none.
const char* port_token(PORT_TYPE_t port);

// Whether a comma-separated port list ("EP,USP", "ALL") names the token;
// blanks around a token and the case of its letters do not count.
bool port_list_names(const std::string& ports, const std::string& token);

// The catalogue read from the test-case file once, when built. A file that
// cannot be read leaves the catalogue empty after one red line that names
// the file and the reason.
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
    TestProperties m_catalogue;
};

}  // namespace tarvo
