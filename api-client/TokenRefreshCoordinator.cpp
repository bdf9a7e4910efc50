#include "api-client/TokenRefreshCoordinator.h"

namespace zelvorin {

void TokenRefreshCoordinator::refresh(const std::function<void()>& run) {
    std::promise<void> promise;
    {
        std::unique_lock lock(mutex_);
        if (inFlight_) {
            std::shared_future<void> running = *inFlight_;
            lock.unlock();
            running.get();  // rethrows the refresh's failure
            return;
        }
        inFlight_ = promise.get_future().share();
    }
    std::exception_ptr failure;
    try {
        run();
    } catch (...) {
        failure = std::current_exception();
    }
    {
        std::lock_guard lock(mutex_);
        inFlight_.reset();
    }
    if (failure) {
        promise.set_exception(failure);
        std::rethrow_exception(failure);
    }
    promise.set_value();
}

}  // namespace zelvorin
