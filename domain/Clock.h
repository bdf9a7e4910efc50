#pragma once

#include <mutex>

#include "domain/TimePoint.h"

namespace zelvorin {

// The source of "now" for everything that stamps or schedules. Production code takes a Clock& so
// that tests and tools can run on a ManualClock.
class Clock {
public:
    virtual ~Clock();
    virtual TimePoint now() const = 0;
};

class SystemClock final : public Clock {
public:
    TimePoint now() const override;
};

// A clock that moves only when told to. Safe to read and move from several threads.
class ManualClock final : public Clock {
public:
    explicit ManualClock(TimePoint start);

    TimePoint now() const override;
    void set(TimePoint time);
    void advance(std::chrono::system_clock::duration by);

private:
    mutable std::mutex mutex_;
    TimePoint now_;
};

}  // namespace zelvorin
