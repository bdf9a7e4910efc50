#include "service/auth/Authenticator.h"

#include <chrono>

#include "domain/Timestamps.h"
#include "service/ServiceError.h"
#include "service/auth/AuthCrypto.h"

namespace zelvorin::service {

namespace {

std::int64_t systemNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string timestampOf(std::int64_t unixSeconds) {
    return formatTimestampSeconds(TimePoint{std::chrono::seconds(unixSeconds)});
}

}  // namespace

Authenticator::Authenticator(const std::filesystem::path& dataDirectory, Storage& storage,
                             std::int64_t accessTokenLifetime, Clock clock)
    : storage_(storage),
      store_(dataDirectory),
      accessTokenLifetime_(accessTokenLifetime),
      clock_(clock ? std::move(clock) : Clock(systemNow)) {}

std::string Authenticator::issueCode(const std::string& userId, const std::string& organizationId,
                                     const DeviceDescription& device) {
    const std::string code = randomToken(24);
    store_.addCode(sha256Hex(code),
                   HandoffGrant{userId, organizationId, device.deviceId, device.platform, device.appVersion,
                                device.deviceName, now() + kCodeLifetime});
    return code;
}

IssuedTokens Authenticator::redeem(const std::string& code, const DeviceDescription& device) {
    const std::optional<HandoffGrant> grant = store_.takeCode(sha256Hex(code));
    if (!grant || grant->organizationId.empty())
        throw ServiceError(401, "Deze aanmeldcode is onbekend of al gebruikt.");
    if (now() >= grant->expiresAt)
        throw ServiceError(401, "Deze aanmeldcode is verlopen; meld je opnieuw aan.");
    if (grant->deviceId != device.deviceId) {
        throw ServiceError(401, "Deze aanmeldcode hoort bij een ander apparaat.");
    }
    DeviceDescription described = device;
    described.platform = grant->platform;
    described.appVersion = grant->appVersion;
    described.deviceName = grant->deviceName;
    return startSession(grant->userId, grant->organizationId, described);
}

IssuedTokens Authenticator::refresh(const std::string& refreshToken, const std::string& deviceId) {
    const std::optional<std::string> sessionId = store_.takeRefreshToken(sha256Hex(refreshToken));
    if (!sessionId) throw ServiceError(401, "Dit verversingstoken is onbekend of al gebruikt.");
    const std::optional<DeviceSession> session = store_.session(*sessionId);
    if (!session || session->revoked)
        throw ServiceError(401, "Deze sessie is ingetrokken; meld je opnieuw aan.");
    if (session->deviceId != deviceId)
        throw ServiceError(401, "Dit verversingstoken hoort bij een ander apparaat.");
    return issueFor(*session);
}

IssuedTokens Authenticator::startSession(const std::string& userId, const std::string& organizationId,
                                         const DeviceDescription& device) {
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
    session.createdAt = timestampOf(now());
    session.lastSeenAt = session.createdAt;
    store_.addSession(session);
    return issueFor(session);
}

IssuedTokens Authenticator::issueFor(const DeviceSession& session) {
    const std::int64_t issuedAt = now();
    AccessTokenContent content{session.deviceId, session.userId, session.organizationId,
                               session.id,       issuedAt,       issuedAt + accessTokenLifetime_};
    IssuedTokens tokens;
    tokens.accessToken = signAccessToken(content, store_.signingSecret());
    tokens.refreshToken = randomToken(32);
    tokens.expiresIn = accessTokenLifetime_;
    tokens.sessionId = session.id;
    store_.addRefreshToken(sha256Hex(tokens.refreshToken), session.id);
    return tokens;
}

std::string Authenticator::issueOnboardingToken(const std::string& userId, const DeviceDescription& device) {
    const std::string token = randomToken(24);
    store_.addCode(sha256Hex(token),
                   HandoffGrant{userId, "", device.deviceId, device.platform, device.appVersion,
                                device.deviceName, now() + kOnboardingLifetime});
    return token;
}

HandoffGrant Authenticator::takeOnboardingToken(const std::string& token) {
    const std::optional<HandoffGrant> grant = store_.takeCode(sha256Hex(token));
    if (!grant || !grant->organizationId.empty())
        throw ServiceError(401, "Dit onboardingtoken is onbekend of al gebruikt.");
    if (now() >= grant->expiresAt)
        throw ServiceError(401, "Dit onboardingtoken is verlopen; meld je opnieuw aan.");
    return *grant;
}

AccessTokenContent Authenticator::verify(const std::string& accessToken) const {
    AccessTokenContent content = verifyAccessToken(accessToken, store_.signingSecret(), now());
    const std::optional<DeviceSession> session = store_.session(content.sessionId);
    if (!session || session->revoked)
        throw ServiceError(401, "Deze sessie is ingetrokken; meld je opnieuw aan.");
    return content;
}

std::optional<std::string> Authenticator::sessionOf(const httplib::Request& request) const {
    static constexpr std::string_view kBearer = "Bearer ";
    const std::string header = request.get_header_value("Authorization");
    if (header.compare(0, kBearer.size(), kBearer) != 0) return std::nullopt;
    return verify(header.substr(kBearer.size())).sessionId;
}

}  // namespace zelvorin::service
