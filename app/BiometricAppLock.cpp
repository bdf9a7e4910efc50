#include "app/BiometricAppLock.h"

#include "domain/AppLockPolicy.h"

namespace zelvorin {

BiometricAppLock::BiometricAppLock(UserDefaults& defaults, std::shared_ptr<OwnerAuthenticator> authenticator,
                                   std::shared_ptr<const Clock> clock)
    : defaults_(defaults),
      authenticator_(std::move(authenticator)),
      clock_(std::move(clock)),
      isEnabled_(defaults_.boolean(kEnabledKey).value_or(false)) {}

bool BiometricAppLock::isLocked() const {
    std::lock_guard lock(mutex_);
    return isLocked_;
}

bool BiometricAppLock::isObscured() const {
    std::lock_guard lock(mutex_);
    return isObscured_;
}

bool BiometricAppLock::authenticating() const {
    std::lock_guard lock(mutex_);
    return authenticating_;
}

bool BiometricAppLock::isEnabled() const {
    std::lock_guard lock(mutex_);
    return isEnabled_;
}

std::optional<TimePoint> BiometricAppLock::backgroundedAt() const {
    std::lock_guard lock(mutex_);
    return backgroundedAt_;
}

void BiometricAppLock::setEnabled(bool enabled) {
    defaults_.set(kEnabledKey, enabled);
    {
        std::lock_guard lock(mutex_);
        isEnabled_ = enabled;
        if (!enabled) isLocked_ = false;
    }
    changed();
}

void BiometricAppLock::sceneBecameInactive(bool signedIn) {
    {
        std::lock_guard lock(mutex_);
        if (!signedIn || !isEnabled_) return;
        isObscured_ = true;
    }
    changed();
}

void BiometricAppLock::sceneEnteredBackground() {
    {
        std::lock_guard lock(mutex_);
        backgroundedAt_ = clock_->now();
        if (isEnabled_) isObscured_ = true;
    }
    changed();
}

void BiometricAppLock::sceneBecameActive(bool signedIn) {
    {
        std::lock_guard lock(mutex_);
        isObscured_ = false;
        if (signedIn && AppLockPolicy::shouldLock(isEnabled_, backgroundedAt_, clock_->now()))
            isLocked_ = true;
    }
    changed();
}

void BiometricAppLock::authenticate(const OwnerAuthenticator::AskSecret& askSecret) {
    {
        std::lock_guard lock(mutex_);
        if (!isLocked_ || authenticating_) return;
        authenticating_ = true;
    }
    changed();
    bool succeeded = false;
    try {
        succeeded = authenticator_ && authenticator_->authenticate(kReason, askSecret);
    } catch (...) {
        succeeded = false;  // an authentication that broke is one that did not succeed
    }
    {
        std::lock_guard lock(mutex_);
        if (succeeded) {
            isLocked_ = false;
            backgroundedAt_.reset();
        }
        authenticating_ = false;
    }
    changed();
}

std::string BiometricAppLock::unlockButtonTitle() const {
    return "Ontgrendel met " + (authenticator_ ? authenticator_->methodName() : std::string("toegangscode"));
}

void BiometricAppLock::setChangeObserver(std::function<void()> observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void BiometricAppLock::changed() {
    std::function<void()> observer;
    {
        std::lock_guard lock(mutex_);
        observer = observer_;
    }
    if (observer) observer();
}

}  // namespace zelvorin
