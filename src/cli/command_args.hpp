#pragma once

#include <string>
#include <vector>

namespace cli {

// The options of one command line, as a command's handlers read them.
// Records are plain values, copied at every link of a handler chain; a
// command resets its record to these defaults after every line.

struct Args {
    bool help = false;  // the command's help option was given
    int slow = 0;       // delay between tests (run only)
};

struct NoArgs {};

struct RunArgs : Args {
    bool all = false;
    bool allall = false;
    std::string test;
    std::string spec;
    std::string group;
    int id = 0;
    std::vector<std::string> tests;
};

struct DeviceArgs : Args {
    bool showSut = false;
    std::string setSut;
    bool showList = false;
};

struct TestsArgs : Args {
    std::string sort;
};

// -1 (and an empty group) stand for a filter key that was not given.
struct FTestsArgs : Args {
    double spec = -1.0;
    std::string group;
    int id = -1;

    bool hasSpec() const { return spec != -1; }
    bool hasGroup() const { return !group.empty(); }
    bool hasID() const { return id != -1; }
};

struct ReportArgs : Args {
    std::string skin;
};

}  // namespace cli
