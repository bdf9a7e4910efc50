#include "service/store/SignIns.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::signins {

namespace {

constexpr const char* kSessionColumns =
    "SELECT id, user_id, organization_id, device_id, platform, app_version, label, user_agent, ip, "
    "created_at, last_seen_at, revoked FROM device_session ";

const char* purposeText(SignInGrant::Purpose purpose) {
    return purpose == SignInGrant::Purpose::handoff ? "handoff" : "onboarding";
}

DeviceSession readSession(const Statement& row) {
    DeviceSession session;
    session.id = row.text(0);
    session.userId = row.text(1);
    session.organizationId = row.text(2);
    session.deviceId = row.text(3);
    session.platform = row.text(4);
    session.appVersion = row.text(5);
    session.label = row.text(6);
    session.userAgent = row.text(7);
    session.ip = row.text(8);
    session.createdAt = row.text(9);
    session.lastSeenAt = row.text(10);
    session.revoked = row.int64(11) != 0;
    return session;
}

}  // namespace

void addGrant(Connection& db, const std::string& codeHash, const SignInGrant& grant) {
    db.cached(
          "INSERT INTO sign_in_grant (code_hash, purpose, user_id, organization_id, device_id, platform, "
          "app_version, device_name, expires_at, code_challenge) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bindAll(codeHash, purposeText(grant.purpose), grant.userId, grant.organizationId, grant.deviceId,
                 grant.platform, grant.appVersion, grant.deviceName, grant.expiresAt, grant.codeChallenge)
        .run();
}

std::optional<SignInGrant> takeGrant(Connection& db, const std::string& codeHash,
                                     SignInGrant::Purpose purpose) {
    Statement& row = db.cached(
        "SELECT user_id, organization_id, device_id, platform, app_version, device_name, expires_at, "
        "code_challenge FROM sign_in_grant WHERE code_hash = ? AND purpose = ? AND used = 0");
    row.bindAll(codeHash, purposeText(purpose));
    if (!row.step()) return std::nullopt;
    SignInGrant grant{purpose,     row.text(0), row.optionalText(1), row.text(2), row.text(3),
                      row.text(4), row.text(5), row.int64(6),        row.text(7)};
    row.reset();
    db.cached("UPDATE sign_in_grant SET used = 1 WHERE code_hash = ?").bindAll(codeHash).run();
    return grant;
}

void addSession(Connection& db, const DeviceSession& session) {
    db.cached(
          "INSERT INTO device_session (id, user_id, organization_id, device_id, platform, app_version, "
          "label, "
          "user_agent, ip, created_at, last_seen_at, revoked) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bindAll(session.id, session.userId, session.organizationId, session.deviceId, session.platform,
                 session.appVersion, session.label, session.userAgent, session.ip, session.createdAt,
                 session.lastSeenAt, session.revoked)
        .run();
}

std::optional<DeviceSession> session(Connection& db, const std::string& id) {
    Statement& row = db.cached(std::string(kSessionColumns) + "WHERE id = ?");
    row.bindAll(id);
    if (!row.step()) return std::nullopt;
    return readSession(row);
}

std::vector<DeviceSession> sessionsOf(Connection& db, const std::string& organizationId) {
    Statement& rows =
        db.cached(std::string(kSessionColumns) + "WHERE organization_id = ? ORDER BY created_at, id");
    rows.bindAll(organizationId);
    std::vector<DeviceSession> sessions;
    while (rows.step())
        sessions.push_back(readSession(rows));
    return sessions;
}

void touchSession(Connection& db, const std::string& id, const std::string& lastSeenAt,
                  const std::string& userAgent, const std::string& ip) {
    db.cached("UPDATE device_session SET last_seen_at = ?, user_agent = ?, ip = ? WHERE id = ?")
        .bindAll(lastSeenAt, userAgent, ip, id)
        .run();
}

int revokeSession(Connection& db, const std::string& id) {
    db.cached("UPDATE device_session SET revoked = 1 WHERE id = ? AND revoked = 0").bindAll(id).run();
    return static_cast<int>(db.changes());
}

int revokeUserSessions(Connection& db, const std::string& userId, const std::string& organizationId) {
    db.cached(
          "UPDATE device_session SET revoked = 1 WHERE user_id = ? AND organization_id = ? AND revoked = 0")
        .bindAll(userId, organizationId)
        .run();
    return static_cast<int>(db.changes());
}

void addRefreshToken(Connection& db, const std::string& tokenHash, const std::string& sessionId,
                     std::int64_t issuedAt) {
    db.cached("INSERT INTO refresh_token (token_hash, session_id, issued_at) VALUES (?, ?, ?)")
        .bindAll(tokenHash, sessionId, issuedAt)
        .run();
}

std::optional<RefreshTokenUse> takeRefreshToken(Connection& db, const std::string& tokenHash) {
    Statement& row = db.cached("SELECT session_id, used, issued_at FROM refresh_token WHERE token_hash = ?");
    row.bindAll(tokenHash);
    if (!row.step()) return std::nullopt;
    RefreshTokenUse use{row.text(0), row.int64(1) != 0, row.int64(2)};
    row.reset();
    if (!use.spentBefore)
        db.cached("UPDATE refresh_token SET used = 1 WHERE token_hash = ?").bindAll(tokenHash).run();
    return use;
}

void recordOnboardingStep(Connection& db, const std::string& userId, const std::string& organizationId,
                          std::int64_t step) {
    db.cached(
          "INSERT INTO onboarding_step (user_id, organization_id, step) VALUES (?, ?, ?) "
          "ON CONFLICT (user_id, organization_id) DO UPDATE SET step = MAX(step, excluded.step)")
        .bindAll(userId, organizationId, step)
        .run();
}

std::optional<std::int64_t> onboardingStep(Connection& db, const std::string& userId,
                                           const std::string& organizationId) {
    Statement& row = db.cached("SELECT step FROM onboarding_step WHERE user_id = ? AND organization_id = ?");
    row.bindAll(userId, organizationId);
    if (!row.step()) return std::nullopt;
    return row.int64(0);
}

}  // namespace zelvorin::service::signins
