#include "domain/Clock.h"

namespace zelvorin {

Clock::~Clock() = default;

TimePoint SystemClock::now() const {
    return std::chrono::system_clock::now();
}

ManualClock::ManualClock(TimePoint start) : now_(start) {}

TimePoint ManualClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void ManualClock::set(TimePoint time) {
    std::lock_guard lock(mutex_);
    now_ = time;
}

void ManualClock::advance(std::chrono::system_clock::duration by) {
    std::lock_guard lock(mutex_);
    now_ += by;
}

}  // namespace zelvorin
