#pragma once

#include <chrono>
#include <optional>

#include "domain/TimePoint.h"

namespace zelvorin::AppLockPolicy {

inline constexpr std::chrono::seconds kDefaultTimeout{300};

// Whether coming back to the foreground must ask for authentication again: never when the lock is
// off; always when there is no last-active moment (first start); otherwise once the application
// has been away for at least the timeout.
bool shouldLock(bool enabled, std::optional<TimePoint> lastActive, TimePoint now,
                std::chrono::duration<double> timeout = kDefaultTimeout);

}  // namespace zelvorin::AppLockPolicy
