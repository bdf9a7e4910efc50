#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// A signed-in device of one user in one organisation. Revoked sessions stay for the admin list.
struct DeviceSession {
    std::string id;
    std::string userId;
    std::string organizationId;
    std::string deviceId;
    std::string platform;
    std::string appVersion;
    std::string label;  // the device name the app sent, else its platform
    std::string userAgent;
    std::string ip;
    std::string createdAt;
    std::string lastSeenAt;
    bool revoked = false;
};

// What a one-time code stands for until it is spent: a hand-off code signs the device in to the
// organisation; an onboarding token lets the user create a first organisation (it has none).
struct SignInGrant {
    enum class Purpose { handoff, onboarding };
    Purpose purpose = Purpose::handoff;
    std::string userId;
    std::optional<std::string> organizationId;  // exactly for hand-off codes
    std::string deviceId;
    std::string platform;
    std::string appVersion;
    std::string deviceName;
    std::int64_t expiresAt = 0;  // unix seconds
    // S256 of the verifier the device keeps; a hand-off code is redeemed only with that verifier.
    std::string codeChallenge;
};

// Sign-in state, on a connection of ServiceDatabase::read or write. Codes and refresh tokens are
// only ever stored as their SHA-256.
namespace signins {

void addGrant(Connection& db, const std::string& codeHash, const SignInGrant& grant);
// The grant of an unspent code of that purpose, spending it; nothing for unknown or spent codes.
std::optional<SignInGrant> takeGrant(Connection& db, const std::string& codeHash,
                                     SignInGrant::Purpose purpose);

void addSession(Connection& db, const DeviceSession& session);
std::optional<DeviceSession> session(Connection& db, const std::string& id);
std::vector<DeviceSession> sessionsOf(Connection& db, const std::string& organizationId);  // oldest first
void touchSession(Connection& db, const std::string& id, const std::string& lastSeenAt,
                  const std::string& userAgent, const std::string& ip);
// Each returns how many sessions that stood it revoked.
int revokeSession(Connection& db, const std::string& id);
int revokeUserSessions(Connection& db, const std::string& userId, const std::string& organizationId);

// A refresh token as it was presented: its session, whether it had been spent before, and when it
// was issued (unix seconds; 0 for one issued before the service kept that).
struct RefreshTokenUse {
    std::string sessionId;
    bool spentBefore = false;
    std::int64_t issuedAt = 0;
};
void addRefreshToken(Connection& db, const std::string& tokenHash, const std::string& sessionId,
                     std::int64_t issuedAt);
// The token's use, spending it; nothing for an unknown token.
std::optional<RefreshTokenUse> takeRefreshToken(Connection& db, const std::string& tokenHash);

// The furthest onboarding step the user reached in the organisation.
void recordOnboardingStep(Connection& db, const std::string& userId, const std::string& organizationId,
                          std::int64_t step);
std::optional<std::int64_t> onboardingStep(Connection& db, const std::string& userId,
                                           const std::string& organizationId);

}  // namespace signins
}  // namespace zelvorin::service
