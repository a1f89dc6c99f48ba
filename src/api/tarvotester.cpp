#include "api/tarvotester.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <utility>

#include "api/catalogue.hpp"
#include "common/console.hpp"

namespace tarvo {

namespace {

// The whole text read as a spec (a number that is finite as a float); false,
// leaving `spec` alone, for anything else.
bool read_spec(const std::string& text, float& spec) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front())))
        return false;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value))
        return false;
    spec = value;
    return true;
}

// The whole text read as a decimal int; false, leaving `id` alone, otherwise.
bool read_id(const std::string& text, int& id) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front())))
        return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size() || errno == ERANGE || value < INT_MIN ||
        value > INT_MAX)
        return false;
    id = static_cast<int>(value);
    return true;
}

std::string spec_text(const std::string& spec) {
    float value = 0;
    if (!read_spec(spec, value))
        return spec;
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string id_text(const std::string& id) {
    int value = 0;
    return read_id(id, value) ? std::to_string(value) : id;
}

std::string upper(std::string text) {
    for (auto& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::string testkey_of(const std::string& spec, const std::string& group, const std::string& id) {
    return spec_text(spec) + "/" + upper(group) + "/" + id_text(id);
}

TarvoTester::TarvoTester(std::shared_ptr<StagingServices> staging,
                         std::shared_ptr<TestServices> tests,
                         std::shared_ptr<DeviceServices> devices,
                         std::shared_ptr<TestInfoServices> testinfo)
    : m_staging(std::move(staging)),
      m_tests(std::move(tests)),
      m_devices(std::move(devices)),
      m_testinfo(std::move(testinfo)) {}

void TarvoTester::run(unsigned delay) {
    // The queue is taken whole, so a later selection never reruns these tests.
    const std::vector<types::TestData> tests = m_staging->staged();
    m_staging->clear();
    if (tests.empty()) {
        BOOST_LOG_SEV(m_logger, warning) << "No test case was selected.";
        return;
    }
    DeviceUnderTest dut{m_devices->sut_device(), core::TargetInformation()};
    if (!dut.device) {
        say_in_red("No CXL device under test was found; no test case was run.");
        return;
    }
    dut.target = m_devices->current_sut_target();
    m_tests->run(tests, delay, dut);
}

void TarvoTester::run_async(unsigned delay) { run(delay); }

void TarvoTester::enqueue(std::string spec, std::string group, std::string id) {
    const std::string key = testkey_of(spec, group, id);
    if (bound(key))
        m_staging->stage(entry_for_key(key));
}

void TarvoTester::enqueue(types::TestData entry) {
    if (bound(entry.key()))
        m_staging->stage(std::move(entry));
}

void TarvoTester::remove(std::string key) { m_staging->unstage(key); }

void TarvoTester::clear() { m_staging->clear(); }

std::vector<types::TestData> TarvoTester::queue() { return m_staging->staged(); }

void TarvoTester::select_all() {
    std::vector<types::TestData> entries;
    for (const auto& key : m_tests->testcase_keys())
        entries.push_back(entry_for_key(key));
    std::stable_sort(entries.begin(), entries.end(),
                     [](const types::TestData& a, const types::TestData& b) {
                         return static_cast<const types::TestID&>(a) < b;
                     });
    for (auto& entry : entries)
        m_staging->stage(std::move(entry));
}

void TarvoTester::select_all_of_port(int port_type) {
    const auto port = static_cast<PORT_TYPE_t>(port_type);
    if (!port_token(port)) {
        // Without a device under test the run itself says so.
        if (m_devices->sut_device())
            say_in_red("The port type " + std::to_string(port_type) +
                       " of the device under test is unknown; no test case applies to it.");
        return;
    }
    for (auto& entry : m_testinfo->list_for_port(port))
        enqueue(std::move(entry));
}

bool TarvoTester::bound(const std::string& key) {
    if (m_tests->has_testcase(key))
        return true;
    BOOST_LOG_SEV(m_logger, warning)
        << "No test case is bound to the key " << key << "; it is skipped.";
    return false;
}

types::TestData TarvoTester::entry_for_key(const std::string& key) {
    types::TestData entry = m_testinfo->info(key);
    if (!entry.key().empty())
        return entry;
    // Table keys are spec/group/number, so the identifier can be read back.
    const size_t first = key.find('/');
    const size_t last = key.rfind('/');
    float spec = -1;
    int id = -1;
    std::string group;
    if (first != std::string::npos && last != first) {
        read_spec(key.substr(0, first), spec);
        group = key.substr(first + 1, last - first - 1);
        read_id(key.substr(last + 1), id);
    }
    return types::TestData(key, "", spec, group, id, "", key, "", "", true, {});
}

}  // namespace tarvo
