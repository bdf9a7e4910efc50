#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include <httplib.h>
#include <string>

#include "service/auth/AccessToken.h"
#include "service/auth/AuthStore.h"

namespace zelvorin::service {

class Storage;

// What a new pair of tokens is handed out as.
struct IssuedTokens {
    std::string accessToken;
    std::string refreshToken;
    std::int64_t expiresIn = 0;  // seconds
    std::string sessionId;
};

// The device that asks for a session, with what the request told about it.
struct DeviceDescription {
    std::string deviceId;
    std::string platform;
    std::string appVersion;
    std::string deviceName;
    std::string userAgent;
    std::string ip;
};

// Issues and checks the service's tokens. Hand-off codes live two minutes; a refresh token is
// used once, and each refresh hands out the next one of the same session.
class Authenticator {
public:
    static constexpr std::int64_t kDefaultAccessTokenLifetime = 900;  // seconds, the app's expiresIn
    static constexpr std::int64_t kCodeLifetime = 120;                // seconds a hand-off code waits
    static constexpr std::int64_t kOnboardingLifetime = 3600;         // seconds to fill in the onboarding

    using Clock = std::function<std::int64_t()>;  // unix seconds

    Authenticator(const std::filesystem::path& dataDirectory, Storage& storage,
                  std::int64_t accessTokenLifetime = kDefaultAccessTokenLifetime, Clock clock = {});

    Storage& storage() const { return storage_; }
    AuthStore& store() { return store_; }
    std::int64_t now() const { return clock_(); }

    // A one-time code for `userId` in `organizationId`, bound to the device.
    std::string issueCode(const std::string& userId, const std::string& organizationId,
                          const DeviceDescription& device);
    // Throws ServiceError 401 for an unknown, used or expired code or another device.
    IssuedTokens redeem(const std::string& code, const DeviceDescription& device);
    // Throws ServiceError 401 for an unknown, used or revoked refresh token or another device.
    IssuedTokens refresh(const std::string& refreshToken, const std::string& deviceId);
    // A new session of the same device and user in another organisation; the old one is revoked.
    IssuedTokens startSession(const std::string& userId, const std::string& organizationId,
                              const DeviceDescription& device);
    // A token for creating the first organisation of `userId` (a hand-off grant without organisation).
    std::string issueOnboardingToken(const std::string& userId, const DeviceDescription& device);
    // Spends the onboarding token; 401 when unknown, used or expired.
    HandoffGrant takeOnboardingToken(const std::string& token);
    // Checks the token and that its session still stands; 401 otherwise.
    AccessTokenContent verify(const std::string& accessToken) const;
    // The session of the request's (already verified) bearer token; nothing without one.
    std::optional<std::string> sessionOf(const httplib::Request& request) const;

private:
    IssuedTokens issueFor(const DeviceSession& session);

    Storage& storage_;
    AuthStore store_;
    std::int64_t accessTokenLifetime_;
    Clock clock_;
};

}  // namespace zelvorin::service
