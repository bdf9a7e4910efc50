#include "sync/SyncWaiter.h"

#include <condition_variable>
#include <mutex>

namespace zelvorin {

SyncWaiter::~SyncWaiter() = default;

bool MonotonicSyncWaiter::waitFor(std::chrono::milliseconds duration, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any woken;
    std::unique_lock lock(mutex);
    // steady_clock underneath: a wall-clock change does not shorten or stretch the wait.
    woken.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

}  // namespace zelvorin
