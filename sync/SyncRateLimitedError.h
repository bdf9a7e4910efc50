#pragma once

#include <optional>

#include "sync/SyncError.h"

namespace zelvorin {

// The service answered 429. The transport throws it with the whole seconds of "Retry-After" when
// the header was present; the engine rethrows it, with the last value, once its retries run out.
class SyncRateLimitedError : public SyncError {
public:
    explicit SyncRateLimitedError(std::optional<int> retryAfterSeconds);

    std::optional<int> retryAfterSeconds() const { return retryAfterSeconds_; }

private:
    std::optional<int> retryAfterSeconds_;
};

}  // namespace zelvorin
