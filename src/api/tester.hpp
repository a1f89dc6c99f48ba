#pragma once

#include <string>
#include <vector>

#include "common/testdata.hpp"

namespace tarvo {

// Selects test cases into a queue and runs them on the device under test.
class Tester {
public:
    // Runs the queued tests in order, `delay` seconds apart, and empties the
    // queue; returns when all have run.
    virtual void run(unsigned delay) = 0;
    // The same on the calling thread: the program starts no thread of its own.
    virtual void run_async(unsigned delay) = 0;
    // Queues the catalogue entry of spec/group/id (the parts as typed).
    virtual void enqueue(std::string spec, std::string group, std::string id) = 0;
    virtual void enqueue(types::TestData entry) = 0;
    virtual void remove(std::string key) = 0;
    virtual void clear() = 0;
    virtual std::vector<types::TestData> queue() = 0;
    // Queues every entry of the catalogue.
    virtual void select_all() = 0;
    // Queues the entries that apply to a device of this port type.
    virtual void select_all_of_port(int port_type) = 0;
    virtual ~Tester() = default;
};

}  // namespace tarvo
