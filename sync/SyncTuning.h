#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// The numbers that shape a sync cycle, in one place.
namespace zelvorin::SyncTuning {

using std::chrono::seconds;

// Changes per push: small enough that one request stays well under the service's body limit and a
// refused batch costs little, large enough that an offline week goes out in a few requests.
inline constexpr std::size_t kPushBatchSize = 200;

// Changes per pull page: one page is applied in one transaction (~10 ms for 500 rows), short enough
// not to hold up the screens' writes.
inline constexpr int kPullPageSize = 500;

// Pages with "hasMore" one cycle accepts (100 000 changes): past that the cursor is not moving.
inline constexpr int kPullPageLimit = 200;

// Further attempts of one request after a 429 answer before the cycle gives up.
inline constexpr int kRateLimitRetries = 6;

// The longest a Retry-After is obeyed: a service (or whatever answers in its name) that asks for a
// day would otherwise park the engine for a day with the user's changes unsent.
inline constexpr seconds kRetryAfterCap{3600};

// The wait before retry 1..6 when the server sent no Retry-After: doubling from 2 s (2, 4, 8, 16,
// 32, 60), capped at one minute so that a user who waits still sees the cycle finish.
inline constexpr seconds kBackOffCap{60};
constexpr seconds backOffDelay(int retry) {
    const seconds doubled{std::int64_t{1} << (retry < 1 ? 1 : retry > 6 ? 6 : retry)};
    return doubled < kBackOffCap ? doubled : kBackOffCap;
}

// A cycle while the application is in front: often enough that another device's edit shows up
// within minutes, rarely enough to be no load on the service.
inline constexpr seconds kForegroundTimerPeriod{300};

// The background activity: the system may defer it; it only keeps the data from going stale.
inline constexpr seconds kBackgroundActivityPeriod{900};

// Per push or pull request: a 500-change page on a slow line fits; a dead connection does not
// hold the cycle for longer.
inline constexpr seconds kRequestTimeout{60};

}  // namespace zelvorin::SyncTuning
