#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "app/OwnerAuthenticator.h"
#include "app/UserDefaults.h"
#include "domain/Clock.h"

namespace zelvorin {

// The app lock: locked when the app opens and after five minutes in the background, covered while
// it is not in front. The desktop feeds it the window's state changes and draws what it says.
//
//   unlocked --became active, enabled, signed in, never backgrounded or away >= 300 s--> locked
//   locked --authenticate() succeeded, or the setting turned off--> unlocked
//   the cover is separate: on when the window leaves the front (inactive only when enabled and
//   signed in; background when enabled), off when it becomes active again.
class BiometricAppLock {
public:
    static constexpr const char* kEnabledKey = "biometricAppLockEnabled";
    static constexpr const char* kLockedTitle = "Zelvorin is vergrendeld";
    static constexpr const char* kReason = "Ontgrendel Zelvorin";
    static constexpr const char* kFallbackTitle = "Voer toegangscode in";

    BiometricAppLock(UserDefaults& defaults, std::shared_ptr<OwnerAuthenticator> authenticator,
                     std::shared_ptr<const Clock> clock);

    bool isLocked() const;
    bool isObscured() const;
    bool authenticating() const;
    bool isEnabled() const;
    std::optional<TimePoint> backgroundedAt() const;

    // Stored under "biometricAppLockEnabled"; turning it off unlocks at once.
    void setEnabled(bool enabled);

    void sceneBecameInactive(bool signedIn);
    void sceneEnteredBackground();
    void sceneBecameActive(bool signedIn);

    // Asks the owner (blocks); does nothing when not locked or when a prompt is already open.
    void authenticate(const OwnerAuthenticator::AskSecret& askSecret);

    // "Ontgrendel met toegangscode"
    std::string unlockButtonTitle() const;

    // Called after every change of the state above (from the thread that changed it).
    void setChangeObserver(std::function<void()> observer);

private:
    void changed();

    UserDefaults& defaults_;
    std::shared_ptr<OwnerAuthenticator> authenticator_;
    std::shared_ptr<const Clock> clock_;
    mutable std::mutex mutex_;
    bool isLocked_ = false;
    bool isObscured_ = false;
    bool authenticating_ = false;
    bool isEnabled_ = false;
    std::optional<TimePoint> backgroundedAt_;
    std::function<void()> observer_;
};

}  // namespace zelvorin
