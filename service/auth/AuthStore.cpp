#include "service/auth/AuthStore.h"

#include <system_error>

#include "service/ServiceError.h"
#include "service/auth/AuthCrypto.h"

namespace zelvorin::service {

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS signing_secret (id INTEGER PRIMARY KEY CHECK (id = 1), secret TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS handoff_code (
  code_hash TEXT PRIMARY KEY, user_id TEXT NOT NULL, organization_id TEXT NOT NULL,
  device_id TEXT NOT NULL, platform TEXT NOT NULL, app_version TEXT NOT NULL,
  device_name TEXT NOT NULL, expires_at INTEGER NOT NULL, used INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS device_session (
  id TEXT PRIMARY KEY, user_id TEXT NOT NULL, organization_id TEXT NOT NULL, device_id TEXT NOT NULL,
  platform TEXT NOT NULL, app_version TEXT NOT NULL, label TEXT NOT NULL, user_agent TEXT NOT NULL,
  ip TEXT NOT NULL, created_at TEXT NOT NULL, last_seen_at TEXT NOT NULL,
  revoked INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS onboarding_step (
  user_id TEXT NOT NULL, organization_id TEXT NOT NULL, step INTEGER NOT NULL,
  PRIMARY KEY (user_id, organization_id));
CREATE TABLE IF NOT EXISTS refresh_token (
  token_hash TEXT PRIMARY KEY, session_id TEXT NOT NULL REFERENCES device_session (id),
  used INTEGER NOT NULL DEFAULT 0);
)";

constexpr const char* kSessionColumns =
    "id, user_id, organization_id, device_id, platform, app_version, label, user_agent, ip, created_at, "
    "last_seen_at, revoked";

DeviceSession readSession(const SqliteStatement& row) {
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
    session.revoked = row.integer(11) != 0;
    return session;
}

SqliteConnection openConnection(const std::filesystem::path& dataDirectory) {
    std::error_code error;
    std::filesystem::create_directories(dataDirectory, error);
    try {
        SqliteConnection connection(dataDirectory / AuthStore::kFileName);
        connection.exec("PRAGMA journal_mode=WAL; PRAGMA busy_timeout=5000;");
        connection.exec(kSchema);
        return connection;
    } catch (const SqliteError& failure) {
        throw ServiceError(
            500, "De aanmeldgegevens van de service zijn niet te openen: " + std::string(failure.what()));
    }
}

}  // namespace

AuthStore::AuthStore(const std::filesystem::path& dataDirectory)
    : connection_(openConnection(dataDirectory)) {
    SqliteStatement existing = connection_.prepare("SELECT secret FROM signing_secret WHERE id = 1");
    if (existing.step()) {
        secret_ = existing.text(0);
        return;
    }
    secret_ = randomToken(32);
    connection_.prepare("INSERT INTO signing_secret (id, secret) VALUES (1, ?)").bind(1, secret_).step();
}

void AuthStore::addCode(const std::string& codeHash, const HandoffGrant& grant) {
    std::lock_guard lock(mutex_);
    connection_
        .prepare(
            "INSERT INTO handoff_code (code_hash, user_id, organization_id, device_id, platform, "
            "app_version, device_name, expires_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .bind(1, codeHash)
        .bind(2, grant.userId)
        .bind(3, grant.organizationId)
        .bind(4, grant.deviceId)
        .bind(5, grant.platform)
        .bind(6, grant.appVersion)
        .bind(7, grant.deviceName)
        .bind(8, grant.expiresAt)
        .step();
}

std::optional<HandoffGrant> AuthStore::takeCode(const std::string& codeHash) {
    std::lock_guard lock(mutex_);
    SqliteStatement row = connection_.prepare(
        "SELECT user_id, organization_id, device_id, platform, app_version, device_name, expires_at "
        "FROM handoff_code WHERE code_hash = ? AND used = 0");
    row.bind(1, codeHash);
    if (!row.step()) return std::nullopt;
    HandoffGrant grant{row.text(0), row.text(1), row.text(2),   row.text(3),
                       row.text(4), row.text(5), row.integer(6)};
    connection_.prepare("UPDATE handoff_code SET used = 1 WHERE code_hash = ?").bind(1, codeHash).step();
    return grant;
}

void AuthStore::addSession(const DeviceSession& session) {
    std::lock_guard lock(mutex_);
    connection_
        .prepare(std::string("INSERT INTO device_session (") + kSessionColumns +
                 ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)")
        .bind(1, session.id)
        .bind(2, session.userId)
        .bind(3, session.organizationId)
        .bind(4, session.deviceId)
        .bind(5, session.platform)
        .bind(6, session.appVersion)
        .bind(7, session.label)
        .bind(8, session.userAgent)
        .bind(9, session.ip)
        .bind(10, session.createdAt)
        .bind(11, session.lastSeenAt)
        .step();
}

std::optional<DeviceSession> AuthStore::session(const std::string& id) const {
    std::lock_guard lock(mutex_);
    SqliteStatement row =
        connection_.prepare(std::string("SELECT ") + kSessionColumns + " FROM device_session WHERE id = ?");
    row.bind(1, id);
    if (!row.step()) return std::nullopt;
    return readSession(row);
}

std::vector<DeviceSession> AuthStore::sessions(const std::string& organizationId) const {
    std::lock_guard lock(mutex_);
    SqliteStatement rows = connection_.prepare(std::string("SELECT ") + kSessionColumns +
                                               " FROM device_session WHERE organization_id = ? "
                                               "ORDER BY created_at, id");
    rows.bind(1, organizationId);
    std::vector<DeviceSession> sessions;
    while (rows.step())
        sessions.push_back(readSession(rows));
    return sessions;
}

void AuthStore::touchSession(const std::string& id, const std::string& lastSeenAt,
                             const std::string& userAgent, const std::string& ip) {
    std::lock_guard lock(mutex_);
    connection_.prepare("UPDATE device_session SET last_seen_at = ?, user_agent = ?, ip = ? WHERE id = ?")
        .bind(1, lastSeenAt)
        .bind(2, userAgent)
        .bind(3, ip)
        .bind(4, id)
        .step();
}

int AuthStore::revokeSession(const std::string& id) {
    std::lock_guard lock(mutex_);
    SqliteStatement count =
        connection_.prepare("SELECT COUNT(*) FROM device_session WHERE id = ? AND revoked = 0");
    count.bind(1, id).step();
    const auto revoked = static_cast<int>(count.integer(0));
    connection_.prepare("UPDATE device_session SET revoked = 1 WHERE id = ?").bind(1, id).step();
    return revoked;
}

int AuthStore::revokeUserSessions(const std::string& userId, const std::string& organizationId) {
    std::lock_guard lock(mutex_);
    SqliteStatement count = connection_.prepare(
        "SELECT COUNT(*) FROM device_session WHERE user_id = ? AND organization_id = ? AND revoked = 0");
    count.bind(1, userId).bind(2, organizationId).step();
    const auto revoked = static_cast<int>(count.integer(0));
    connection_.prepare("UPDATE device_session SET revoked = 1 WHERE user_id = ? AND organization_id = ?")
        .bind(1, userId)
        .bind(2, organizationId)
        .step();
    return revoked;
}

void AuthStore::recordOnboardingStep(const std::string& userId, const std::string& organizationId,
                                     std::int64_t step) {
    std::lock_guard lock(mutex_);
    connection_
        .prepare(
            "INSERT INTO onboarding_step (user_id, organization_id, step) VALUES (?, ?, ?) "
            "ON CONFLICT (user_id, organization_id) DO UPDATE SET step = MAX(step, excluded.step)")
        .bind(1, userId)
        .bind(2, organizationId)
        .bind(3, step)
        .step();
}

std::optional<std::int64_t> AuthStore::onboardingStep(const std::string& userId,
                                                      const std::string& organizationId) const {
    std::lock_guard lock(mutex_);
    SqliteStatement row =
        connection_.prepare("SELECT step FROM onboarding_step WHERE user_id = ? AND organization_id = ?");
    row.bind(1, userId).bind(2, organizationId);
    if (!row.step()) return std::nullopt;
    return row.integer(0);
}

void AuthStore::addRefreshToken(const std::string& tokenHash, const std::string& sessionId) {
    std::lock_guard lock(mutex_);
    connection_.prepare("INSERT INTO refresh_token (token_hash, session_id) VALUES (?, ?)")
        .bind(1, tokenHash)
        .bind(2, sessionId)
        .step();
}

std::optional<std::string> AuthStore::takeRefreshToken(const std::string& tokenHash) {
    std::lock_guard lock(mutex_);
    SqliteStatement row =
        connection_.prepare("SELECT session_id FROM refresh_token WHERE token_hash = ? AND used = 0");
    row.bind(1, tokenHash);
    if (!row.step()) return std::nullopt;
    std::string sessionId = row.text(0);
    connection_.prepare("UPDATE refresh_token SET used = 1 WHERE token_hash = ?").bind(1, tokenHash).step();
    return sessionId;
}

}  // namespace zelvorin::service
