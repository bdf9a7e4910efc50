#pragma once

#include <chrono>
#include <stop_token>

namespace zelvorin {

// Sleeps on the monotonic clock until the time has passed or a stop is requested. The engine's
// rate-limit waits and the scheduler's timers go through it, so tests can run them without
// waiting (the platform edge, like the clock).
class SyncWaiter {
public:
    virtual ~SyncWaiter();
    // False when the wait ended because of the stop request.
    virtual bool waitFor(std::chrono::milliseconds duration, std::stop_token stop) = 0;
};

class MonotonicSyncWaiter final : public SyncWaiter {
public:
    bool waitFor(std::chrono::milliseconds duration, std::stop_token stop) override;
};

}  // namespace zelvorin
