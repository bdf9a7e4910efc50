#pragma once

#include <chrono>

namespace zelvorin {

// Every point in time the program handles is a system-clock instant (UTC, no leap seconds).
using TimePoint = std::chrono::system_clock::time_point;

}  // namespace zelvorin
