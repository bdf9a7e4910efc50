#include "sync/SyncRateLimitedError.h"

#include <string>

namespace zelvorin {

namespace {

std::string describe(std::optional<int> retryAfterSeconds) {
    if (!retryAfterSeconds) return "Server gaf herhaaldelijk 429 (rate limited) zonder Retry-After-header.";
    return "Server gaf herhaaldelijk 429 (rate limited); laatste Retry-After was " +
           std::to_string(*retryAfterSeconds) + " seconden.";
}

}  // namespace

SyncRateLimitedError::SyncRateLimitedError(std::optional<int> retryAfterSeconds)
    : SyncError(Kind::rateLimited, describe(retryAfterSeconds)), retryAfterSeconds_(retryAfterSeconds) {}

}  // namespace zelvorin
