#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/testdata.hpp"
#include "core/devices/targetinformation.hpp"

namespace tarvo {

namespace core {
class DevComp;
}

// The device under test as a run hands it to the test functions.
struct DeviceUnderTest {
    std::shared_ptr<core::DevComp> device;
    core::TargetInformation target;
};

// Runs test cases on the device under test.
class TestServices {
public:
    // Runs the entries in order on `dut`, waiting `delay` seconds between two
    // tests, and keeps their records as one session of the history.
    virtual void run(const std::vector<types::TestData>& tests, unsigned delay,
                     const DeviceUnderTest& dut) = 0;
    // Whether the test table binds a function to this key.
    virtual bool has_testcase(const std::string& key) const = 0;
    // Every key of the test table, in the table's (string) order.
    virtual std::vector<std::string> testcase_keys() const = 0;
    virtual ~TestServices() = default;
};

}  // namespace tarvo
