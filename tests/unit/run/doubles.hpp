#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <boost/program_options.hpp>

#include "api/directory.hpp"
#include "api/tester.hpp"
#include "cli/libmodules.hpp"
#include "cli/tarvo_cli.hpp"
#include "unit/cli/test_support.hpp"

namespace rundoubles {

using tarvo::types::TestData;

inline TestData entry(const std::string& key, float spec, const std::string& group, int id,
                      const std::string& name = "", const std::string& port = "EP") {
    return TestData(key, "", spec, group, id, "1.0", name, port, "", true, {});
}

// A Tester that writes down every call, one line each.
class RecordingTester : public tarvo::Tester {
public:
    void run(unsigned delay) override { calls.push_back("run " + std::to_string(delay)); }
    void run_async(unsigned delay) override { calls.push_back("run_async " + std::to_string(delay)); }
    void enqueue(std::string spec, std::string group, std::string id) override {
        calls.push_back("enqueue " + spec + " " + group + " " + id);
    }
    void enqueue(TestData e) override { calls.push_back("enqueue " + e.key()); }
    void remove(std::string key) override { calls.push_back("remove " + key); }
    void clear() override { calls.push_back("clear"); }
    std::vector<TestData> queue() override { return {}; }
    void select_all() override { calls.push_back("select_all"); }
    void select_all_of_port(int port) override {
        calls.push_back("select_all_of_port " + std::to_string(port));
    }

    std::vector<std::string> calls;
};

// A Directory that writes down every catalogue call and answers it with
// `answer`; the device under test has port type `port`.
class RecordingDirectory : public tarvo::Directory {
public:
    std::vector<TestData> default_testlist() override { return note("default"); }
    std::vector<TestData> testlist_sorted_on_group() override { return note("sorted_on_group"); }
    std::vector<TestData> testlist_sorted_on_id() override { return note("sorted_on_id"); }
    std::vector<TestData> testlist_filter_spec(float spec) override {
        return note("filter_spec " + text(spec));
    }
    std::vector<TestData> testlist_filter_group(std::string group) override {
        return note("filter_group " + group);
    }
    std::vector<TestData> testlist_filter_id(int id) override {
        return note("filter_id " + std::to_string(id));
    }
    std::vector<TestData> testlist_filter_spec_and_group(float spec, std::string group) override {
        return note("filter_spec_and_group " + text(spec) + " " + group);
    }
    std::vector<TestData> testlist_filter_spec_and_id(float spec, int id) override {
        return note("filter_spec_and_id " + text(spec) + " " + std::to_string(id));
    }
    std::vector<TestData> testlist_filter_group_and_id(std::string group, int id) override {
        return note("filter_group_and_id " + group + " " + std::to_string(id));
    }
    TestData testinfo(std::string) override { return tarvo::types::ErrorTestData(); }
    std::vector<tarvo::core::DeviceInformation> devicelist() override { return {}; }
    tarvo::core::DeviceInformation current_sut() override { return {}; }
    tarvo::core::TargetInformation current_sut_target() override {
        calls.push_back("current_sut_target");
        return tarvo::core::TargetInformation("", "", 0, 0, "", tarvo::core::GT32,
                                              tarvo::core::x16, tarvo::core::endpoint,
                                              tarvo::core::cem, false, "2.0", port,
                                              tarvo::core::type3, false, false, tarvo::SBDF(), true);
    }
    void set_sut(tarvo::core::DeviceInformation) override {}

    std::vector<TestData> answer;
    std::vector<std::string> calls;
    PORT_TYPE_t port = UP_SWITCH;

private:
    std::vector<TestData> note(const std::string& call) {
        calls.push_back(call);
        return answer;
    }
    // The float exactly, so 1.1f and 1.1 (double) tell apart.
    static std::string text(float f) {
        std::ostringstream out;
        out.precision(9);
        out << f;
        return out.str();
    }
};

// The facade bundle over the two recorders.
struct Recorders {
    std::shared_ptr<RecordingTester> tester = std::make_shared<RecordingTester>();
    std::shared_ptr<RecordingDirectory> directory = std::make_shared<RecordingDirectory>();
    cli::LibModules modules{directory, tester, nullptr};
};

// The parsed options of one prompt line, as the command loop hands them over.
inline boost::program_options::parsed_options prompt_line(const std::string& line) {
    testsupport::Capture quiet;
    std::istringstream in(line + "\n");
    boost::program_options::variables_map vm;
    return *cli::process_interactive(vm, in);
}

}  // namespace rundoubles
