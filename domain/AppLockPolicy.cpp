#include "domain/AppLockPolicy.h"

namespace zelvorin::AppLockPolicy {

bool shouldLock(bool enabled, std::optional<TimePoint> lastActive, TimePoint now,
                std::chrono::duration<double> timeout) {
    if (!enabled) return false;
    if (!lastActive) return true;
    return std::chrono::duration<double>(now - *lastActive) >= timeout;
}

}  // namespace zelvorin::AppLockPolicy
