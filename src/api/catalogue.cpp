#include "api/catalogue.hpp"

#include <cctype>
#include <utility>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <boost/algorithm/string/trim.hpp>

#include "common/console.hpp"

namespace tarvo {

const char* port_token(PORT_TYPE_t port) {
    switch (port) {
        case PCIE_EP: return "EP";
        case LEGACY_PCIE_EIP: return "LEP";
        case RP: return "RP";
        case UP_SWITCH: return "USP";
        case DP_SWITCH: return "DSP";
        case RCIEP: return "RCIEP";
        case RCEC: return "RCEC";
        default: return nullptr;
    }
}

bool port_list_names(const std::string& ports, const std::string& token) {
    std::vector<std::string> tokens;
    boost::split(tokens, ports, boost::is_any_of(","));
    for (auto& t : tokens) {
        boost::trim(t);
        for (auto& c : t)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (t == "ALL" || t == token)
            return true;
    }
    return false;
}

TarvoTestInfoServices::TarvoTestInfoServices(std::string testcase_file) {
    CatalogueLoad load = TestProperties::load_file(testcase_file);
    if (!load.ok())
        say_in_red(load.error);
    m_catalogue = std::move(load.catalogue);
}

std::vector<types::TestData> TarvoTestInfoServices::list() { return m_catalogue.list(); }

std::vector<types::TestData> TarvoTestInfoServices::sort_by(core::SortFilterOptions order) {
    return m_catalogue.sort_by(order);
}

std::vector<types::TestData> TarvoTestInfoServices::filter_by(core::SortFilterOptions order,
                                                              types::TestIDFilter filter) {
    return m_catalogue.filter_by(order, std::move(filter));
}

std::vector<types::TestData> TarvoTestInfoServices::list_for_port(PORT_TYPE_t port) {
    std::vector<types::TestData> matching;
    const char* token = port_token(port);
    if (!token)
        return matching;
    for (auto& entry : m_catalogue.list()) {
        if (entry.enabled_flag() && port_list_names(entry.port(), token))
            matching.push_back(std::move(entry));
    }
    return matching;
}

types::TestData TarvoTestInfoServices::info(const std::string& key) {
    return m_catalogue.info(key);
}

}  // namespace tarvo
