#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "common/testid.hpp"

namespace tarvo {
namespace types {

// One entry of the test-case catalogue.
class TestData : public TestID {
public:
    // Port comes before description here, unlike the members.
    TestData(std::string key, std::string reference, float spec, std::string group, int id,
             std::string vers, std::string name, std::string port, std::string description,
             bool enabled, std::vector<std::string> dependencies);

    std::string key() const { return m_key; }
    std::string reference() const { return m_reference; }
    std::string vers() const { return m_vers; }
    std::string name() const { return m_name; }
    std::string description() const { return m_description; }
    std::string port() const { return m_port; }
    std::vector<std::string> dependencies() const { return m_dependencies; }
    bool enabled_flag() const { return m_enabled_flag; }

    // Multi-line text form, one "\tname: value" line per field.
    std::string str() const;

protected:
    std::string m_key;
    std::string m_reference;
    std::string m_vers;
    std::string m_name;
    std::string m_description;
    std::string m_port;
    std::vector<std::string> m_dependencies;
    bool m_enabled_flag;
};

std::ostream& operator<<(std::ostream& os, const TestData& td);

// Stands for a test that does not exist: empty texts, spec -1, id -1.
class ErrorTestData : public TestData {
public:
    ErrorTestData() : TestData("", "", -1.0f, "", -1, "", "", "", "", false, {}) {}
};

}  // namespace types
}  // namespace tarvo
