#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "service/SqliteConnection.h"

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

// What a hand-off code stands for until it is redeemed.
struct HandoffGrant {
    std::string userId;
    std::string organizationId;
    std::string deviceId;
    std::string platform;
    std::string appVersion;
    std::string deviceName;
    std::int64_t expiresAt = 0;  // unix seconds
};

// The sign-in state of the service, `auth.sqlite` in the data directory: the signing secret
// (made once, so tokens survive restarts), hand-off codes and refresh tokens (both only as their
// SHA-256, each usable once) and the device sessions. One connection behind one mutex.
class AuthStore {
public:
    static constexpr const char* kFileName = "auth.sqlite";

    explicit AuthStore(const std::filesystem::path& dataDirectory);

    const std::string& signingSecret() const { return secret_; }

    void addCode(const std::string& codeHash, const HandoffGrant& grant);
    // The grant of an unused code, marking it used; nothing for unknown or used codes.
    std::optional<HandoffGrant> takeCode(const std::string& codeHash);

    void addSession(const DeviceSession& session);
    std::optional<DeviceSession> session(const std::string& id) const;
    std::vector<DeviceSession> sessions(const std::string& organizationId) const;
    void touchSession(const std::string& id, const std::string& lastSeenAt, const std::string& userAgent,
                      const std::string& ip);
    // Revokes and returns how many live sessions it revoked.
    int revokeSession(const std::string& id);
    int revokeUserSessions(const std::string& userId, const std::string& organizationId);

    // The furthest onboarding step the user reached in the organisation.
    void recordOnboardingStep(const std::string& userId, const std::string& organizationId,
                              std::int64_t step);
    std::optional<std::int64_t> onboardingStep(const std::string& userId,
                                               const std::string& organizationId) const;

    void addRefreshToken(const std::string& tokenHash, const std::string& sessionId);
    // The session of an unused refresh token, marking it used; nothing for unknown or used ones.
    std::optional<std::string> takeRefreshToken(const std::string& tokenHash);

private:
    mutable std::mutex mutex_;
    SqliteConnection connection_;
    std::string secret_;
};

}  // namespace zelvorin::service
