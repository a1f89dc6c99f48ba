#include "common/testdata.hpp"

#include <sstream>
#include <utility>

namespace tarvo {
namespace types {

TestData::TestData(std::string key, std::string reference, float spec, std::string group, int id,
                   std::string vers, std::string name, std::string port, std::string description,
                   bool enabled, std::vector<std::string> dependencies)
    : TestID(spec, std::move(group), id),
      m_key(std::move(key)),
      m_reference(std::move(reference)),
      m_vers(std::move(vers)),
      m_name(std::move(name)),
      m_description(std::move(description)),
      m_port(std::move(port)),
      m_dependencies(std::move(dependencies)),
      m_enabled_flag(enabled) {}

std::string TestData::str() const {
    std::ostringstream out;
    out << "{\n";
    out << "\tkey: " << m_key << '\n';
    out << "\treference: " << m_reference << '\n';
    out << "\tspec: " << m_spec << '\n';
    out << "\tgroup: " << m_group << '\n';
    out << "\tid: " << m_id << '\n';
    out << "\tvers: " << m_vers << '\n';
    out << "\tport: " << m_port << '\n';
    out << "\tname: " << m_name << '\n';
    out << "\tdesc: " << m_description << '\n';
    if (!m_dependencies.empty()) {
        out << "\t{\n\t\tdependencies: \n";
        for (const auto& dep : m_dependencies) {
            out << "\t\t " << dep << '\n';
        }
        out << "\t}";
    }
    out << "\n\tenabled: " << (m_enabled_flag ? 1 : 0) << '\n';
    out << "}\n";
    return out.str();
}

std::ostream& operator<<(std::ostream& os, const TestData& td) { return os << td.str(); }

}  // namespace types
}  // namespace tarvo
