#pragma once

#include <chrono>
#include <functional>

namespace tarvo {

// Every wait of the system goes through here, so tests can run without the
// real delays and see which waits were asked for.
using SleepFunction = std::function<void(std::chrono::milliseconds)>;

void sleep_for(std::chrono::milliseconds duration);

// Replaces the sleep function; an empty function restores the real sleep.
// Returns the previous one.
SleepFunction set_sleep_function(SleepFunction fn);

}  // namespace tarvo
