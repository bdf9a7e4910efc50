#include "service/auth/Authenticator.h"

#include <chrono>

#include "domain/Timestamps.h"
#include "service/ServiceTunables.h"
#include "service/auth/AuthCrypto.h"
#include "service/http/ServiceError.h"
#include "service/store/RequestAudit.h"

namespace zelvorin::service {

namespace {

std::int64_t unixSeconds(TimePoint time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

[[noreturn]] void refuse(const std::string& message) {
    throw ServiceError(ErrorKind::unauthorized, message);
}

SignInGrant grantFor(SignInGrant::Purpose purpose, const std::string& userId,
                     std::optional<std::string> organizationId, const DeviceDescription& device,
                     std::int64_t expiresAt, std::string codeChallenge = {}) {
    return SignInGrant{purpose,           userId,          std::move(organizationId),
                       device.deviceId,   device.platform, device.appVersion,
                       device.deviceName, expiresAt,       std::move(codeChallenge)};
}

}  // namespace

std::string Authenticator::issueCode(Connection& db, const std::string& userId,
                                     const std::string& organizationId, const DeviceDescription& device,
                                     const std::string& codeChallenge, TimePoint now) const {
    const std::string code = randomToken(24);
    signins::addGrant(db, sha256Hex(code),
                      grantFor(SignInGrant::Purpose::handoff, userId, organizationId, device,
                               unixSeconds(now) + tunables::kHandoffCodeLifetime, codeChallenge));
    return code;
}

std::string Authenticator::issueOnboardingToken(Connection& db, const std::string& userId,
                                                const DeviceDescription& device, TimePoint now) const {
    const std::string token = randomToken(24);
    signins::addGrant(db, sha256Hex(token),
                      grantFor(SignInGrant::Purpose::onboarding, userId, std::nullopt, device,
                               unixSeconds(now) + tunables::kOnboardingTokenLifetime));
    return token;
}

IssuedTokens Authenticator::redeem(Connection& db, const std::string& code, const std::string& codeVerifier,
                                   const DeviceDescription& device, TimePoint now) const {
    const std::optional<SignInGrant> grant =
        signins::takeGrant(db, sha256Hex(code), SignInGrant::Purpose::handoff);
    if (!grant) refuse("Deze aanmeldcode is onbekend of al gebruikt.");
    if (unixSeconds(now) >= grant->expiresAt) refuse("Deze aanmeldcode is verlopen; meld je opnieuw aan.");
    if (grant->deviceId != device.deviceId) refuse("Deze aanmeldcode hoort bij een ander apparaat.");
    // The callback URL may have leaked (a browser history, a proxy log); the verifier never left the
    // process that opened the sign-in page. A code without a challenge predates that and is refused.
    if (grant->codeChallenge.empty() ||
        !constantTimeEquals(s256Challenge(codeVerifier), grant->codeChallenge))
        refuse("Deze aanmeldcode hoort bij een aanmelding die niet op dit apparaat is begonnen.");
    DeviceDescription described = device;
    described.platform = grant->platform;
    described.appVersion = grant->appVersion;
    described.deviceName = grant->deviceName;
    return startSession(db, grant->userId, *grant->organizationId, described, now);
}

IssuedTokens Authenticator::refresh(Connection& db, const std::string& refreshToken,
                                    const std::string& deviceId, TimePoint now) const {
    const std::optional<signins::RefreshTokenUse> use =
        signins::takeRefreshToken(db, sha256Hex(refreshToken));
    if (!use) refuse("Dit verversingstoken is onbekend.");
    if (use->spentBefore) {
        // Only the pair's holder had it, and it moved on to the next token: a second use means a
        // copy exists. Whoever holds the session now, thief or owner, signs in again.
        signins::revokeSession(db, use->sessionId);
        refuse(
            "Dit verversingstoken is al gebruikt; de sessie is voor de zekerheid beëindigd. Meld je opnieuw "
            "aan.");
    }
    const std::optional<DeviceSession> session = signins::session(db, use->sessionId);
    if (!session || session->revoked) refuse("Deze sessie is ingetrokken; meld je opnieuw aan.");
    if (session->deviceId != deviceId) refuse("Dit verversingstoken hoort bij een ander apparaat.");
    const std::int64_t at = unixSeconds(now);
    if (use->issuedAt > 0 && at - use->issuedAt > tunables::kRefreshTokenIdleLifetime)
        refuse("Dit apparaat is te lang niet gebruikt; meld je opnieuw aan.");
    const std::optional<TimePoint> started = parseTimestamp(session->createdAt);
    if (!started || at - unixSeconds(*started) > tunables::kSessionLifetime)
        refuse("Deze sessie is verlopen; meld je opnieuw aan.");
    return issueFor(db, *session, now);
}

SignInGrant Authenticator::takeOnboardingToken(Connection& db, const std::string& token,
                                               TimePoint now) const {
    const std::optional<SignInGrant> grant =
        signins::takeGrant(db, sha256Hex(token), SignInGrant::Purpose::onboarding);
    if (!grant) refuse("Dit onboardingtoken is onbekend of al gebruikt.");
    if (unixSeconds(now) >= grant->expiresAt) refuse("Dit onboardingtoken is verlopen; meld je opnieuw aan.");
    return *grant;
}

IssuedTokens Authenticator::startSession(Connection& db, const std::string& userId,
                                         const std::string& organizationId, const DeviceDescription& device,
                                         TimePoint now) const {
    DeviceSession session;
    session.id = randomToken(12);
    session.userId = userId;
    session.organizationId = organizationId;
    session.deviceId = device.deviceId;
    session.platform = device.platform;
    session.appVersion = device.appVersion;
    session.label = device.deviceName.empty() ? device.platform : device.deviceName;
    session.userAgent = device.userAgent;
    session.ip = device.ip;
    session.createdAt = formatTimestampSeconds(now);
    session.lastSeenAt = session.createdAt;
    signins::addSession(db, session);
    return issueFor(db, session, now);
}

IssuedTokens Authenticator::issueFor(Connection& db, const DeviceSession& session, TimePoint now) const {
    // A sign-in's route is open: who signed in is known only now.
    RequestAudit::identify({session.organizationId, session.userId, session.deviceId});
    const std::int64_t issuedAt = unixSeconds(now);
    const AccessTokenContent content{session.deviceId, session.userId, session.organizationId,
                                     session.id,       issuedAt,       issuedAt + accessTokenLifetime_};
    IssuedTokens tokens;
    tokens.accessToken = signAccessToken(content, secret_);
    tokens.refreshToken = randomToken(32);
    tokens.expiresIn = accessTokenLifetime_;
    tokens.sessionId = session.id;
    signins::addRefreshToken(db, sha256Hex(tokens.refreshToken), session.id, issuedAt);
    return tokens;
}

AccessTokenContent Authenticator::verify(const std::string& accessToken, TimePoint now) const {
    return verifyAccessToken(accessToken, secret_, unixSeconds(now));
}

}  // namespace zelvorin::service
