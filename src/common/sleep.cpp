#include "common/sleep.hpp"

#include <thread>
#include <utility>

namespace tarvo {
namespace {
SleepFunction& current() {
    static SleepFunction fn;
    return fn;
}
}  // namespace

void sleep_for(std::chrono::milliseconds duration) {
    if (current()) {
        current()(duration);
    } else {
        std::this_thread::sleep_for(duration);
    }
}

SleepFunction set_sleep_function(SleepFunction fn) {
    SleepFunction previous = std::move(current());
    current() = std::move(fn);
    return previous;
}

}  // namespace tarvo
