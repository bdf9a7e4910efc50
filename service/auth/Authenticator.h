#pragma once

#include <cstdint>
#include <string>

#include "domain/TimePoint.h"
#include "service/auth/AccessToken.h"
#include "service/store/SignIns.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

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

// Issues and checks the service's credentials: one-time hand-off codes and onboarding tokens,
// device sessions, access tokens signed with the database's secret, and one-time refresh tokens
// (each refresh hands out the next one of the same session). Every operation works on the
// connection of a transaction its caller holds, so that, say, creating an organisation and its
// first session commit together.
class Authenticator {
public:
    Authenticator(std::string signingSecret, std::int64_t accessTokenLifetime)
        : secret_(std::move(signingSecret)), accessTokenLifetime_(accessTokenLifetime) {}

    // A one-time code for `userId` in `organizationId`, bound to the device and to the S256
    // `codeChallenge` of the verifier the device keeps.
    std::string issueCode(Connection& db, const std::string& userId, const std::string& organizationId,
                          const DeviceDescription& device, const std::string& codeChallenge,
                          TimePoint now) const;
    // A one-time token for creating a first organisation of `userId`.
    std::string issueOnboardingToken(Connection& db, const std::string& userId,
                                     const DeviceDescription& device, TimePoint now) const;

    // Spends the code; throws ServiceError(unauthorized) for an unknown, spent or expired code,
    // another device, or a verifier (none included) whose S256 is not the code's challenge.
    IssuedTokens redeem(Connection& db, const std::string& code, const std::string& codeVerifier,
                        const DeviceDescription& device, TimePoint now) const;
    // Spends the refresh token; throws ServiceError(unauthorized) for an unknown, spent or revoked
    // one or another device.
    IssuedTokens refresh(Connection& db, const std::string& refreshToken, const std::string& deviceId,
                         TimePoint now) const;
    // Spends the onboarding token; throws ServiceError(unauthorized) when unknown, spent or expired.
    SignInGrant takeOnboardingToken(Connection& db, const std::string& token, TimePoint now) const;

    // A new session of the device for `userId` in `organizationId`, with its tokens.
    IssuedTokens startSession(Connection& db, const std::string& userId, const std::string& organizationId,
                              const DeviceDescription& device, TimePoint now) const;

    // Checks shape, signature and expiry; ServiceError(unauthorized) otherwise. The session is the
    // caller's to check.
    AccessTokenContent verify(const std::string& accessToken, TimePoint now) const;

private:
    IssuedTokens issueFor(Connection& db, const DeviceSession& session, TimePoint now) const;

    std::string secret_;
    std::int64_t accessTokenLifetime_;
};

}  // namespace zelvorin::service
