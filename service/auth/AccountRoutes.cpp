#include "service/auth/AccountRoutes.h"

#include <optional>
#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "service/JsonResponses.h"
#include "service/ServiceError.h"
#include "service/Storage.h"
#include "service/auth/Authenticator.h"
#include "service/auth/RequestAuthentication.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kDeviceKind = "device";

std::string requiredString(const std::string& text, const char* key) {
    const nlohmann::json body = nlohmann::json::parse(text, nullptr, false);
    if (!body.is_object()) throw ServiceError(400, "De inhoud van het verzoek is geen JSON-object.");
    const auto found = body.find(key);
    if (found == body.end()) throw ServiceError(400, std::string("Het veld '") + key + "' ontbreekt.");
    if (!found->is_string() || found->get<std::string>().empty()) {
        throw ServiceError(400, std::string("Het veld '") + key + "' moet niet-lege tekst zijn.");
    }
    return found->get<std::string>();
}

bool isAdministrator(const Membership& membership) {
    return membership.role == "owner" || membership.role == "admin";
}

Membership requireAdministrator(const AccessClaims& claims, const Storage& storage) {
    const Membership membership = requireMembership(claims, storage);
    if (!isAdministrator(membership)) {
        throw ServiceError(403, "Alleen een eigenaar of beheerder van de organisatie mag sessies beheren.");
    }
    return membership;
}

Json membershipsBody(const AccessClaims& claims, const Storage& storage) {
    Json organizations = Json::array();
    for (const Membership& membership : storage.memberships()) {
        if (membership.userId != claims.userId) continue;
        const std::optional<Organization> organization = storage.organization(membership.organizationId);
        if (!organization) continue;
        organizations.push_back({{"organizationId", organization->id},
                                 {"name", organization->name},
                                 {"role", membership.role},
                                 {"isCurrent", organization->id == claims.organizationId}});
    }
    return Json{{"organizations", std::move(organizations)}};
}

Json sessionsBody(const AccessClaims& claims, Authenticator& authenticator) {
    const std::vector<UserAccount> users = authenticator.storage().users();
    Json sessions = Json::array();
    for (const DeviceSession& session : authenticator.store().sessions(claims.organizationId)) {
        if (session.revoked) continue;
        Json entry{{"kind", kDeviceKind}, {"id", session.id}, {"userId", session.userId}};
        for (const UserAccount& user : users) {
            if (user.id != session.userId) continue;
            entry["userName"] = user.name;
            entry["userEmail"] = user.email;
        }
        entry["label"] = session.label;
        entry["platform"] = session.platform;
        entry["appVersion"] = session.appVersion;
        entry["ip"] = session.ip;
        entry["userAgent"] = session.userAgent;
        entry["lastSeenAt"] = session.lastSeenAt;
        entry["createdAt"] = session.createdAt;
        sessions.push_back(std::move(entry));
    }
    return Json{{"isAdmin", true}, {"sessions", std::move(sessions)}};
}

// The session must belong to the caller's organisation (and to `userId` when given); a session
// of another organisation is answered as unknown so that ids do not leak across organisations.
DeviceSession sessionInOrganization(Authenticator& authenticator, const AccessClaims& claims,
                                    const std::string& sessionId, const std::optional<std::string>& userId) {
    const std::optional<DeviceSession> session = authenticator.store().session(sessionId);
    if (!session || session->organizationId != claims.organizationId ||
        (userId && session->userId != *userId)) {
        throw ServiceError(404, "Deze sessie bestaat niet.");
    }
    return *session;
}

void switchOrganization(Authenticator& authenticator, const httplib::Request& request,
                        httplib::Response& response) {
    const AccessClaims claims = authenticateRequest(request, authenticator);
    const std::string organizationId = requiredString(request.body, "organizationId");
    AccessClaims target = claims;
    target.organizationId = organizationId;
    if (!authenticator.storage().organization(organizationId)) {
        throw ServiceError(404, "Deze organisatie bestaat niet.");
    }
    requireMembership(target, authenticator.storage());
    // The current session gives way to one in the new organisation, on the same device.
    const std::optional<std::string> sessionId = authenticator.sessionOf(request);
    std::optional<DeviceSession> current =
        sessionId ? authenticator.store().session(*sessionId) : std::nullopt;
    DeviceDescription device;
    device.deviceId = claims.deviceId;
    if (current) {
        device.platform = current->platform;
        device.appVersion = current->appVersion;
        device.deviceName = current->label;
    }
    device.userAgent = request.get_header_value("User-Agent");
    device.ip = request.remote_addr;
    const IssuedTokens tokens = authenticator.startSession(claims.userId, organizationId, device);
    if (sessionId) authenticator.store().revokeSession(*sessionId);
    sendJson(response, 200,
             Json{{"accessToken", tokens.accessToken},
                  {"refreshToken", tokens.refreshToken},
                  {"expiresIn", tokens.expiresIn},
                  {"organizationId", organizationId},
                  {"requiresLocalWipe", organizationId != claims.organizationId}});
}

}  // namespace

void addAccountRoutes(httplib::Server& server, Authenticator& authenticator) {
    server.Get("/api/native/v1/org/memberships",
               guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                   const AccessClaims claims = authenticateRequest(request, authenticator);
                   sendJson(response, 200, membershipsBody(claims, authenticator.storage()));
               }));
    server.Post("/api/auth/native/switch-org",
                guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                    switchOrganization(authenticator, request, response);
                }));
    server.Get("/api/native/v1/admin/sessions",
               guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                   const AccessClaims claims = authenticateRequest(request, authenticator);
                   requireAdministrator(claims, authenticator.storage());
                   sendJson(response, 200, sessionsBody(claims, authenticator));
               }));
    server.Post("/api/native/v1/admin/sessions/revoke",
                guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                    const AccessClaims claims = authenticateRequest(request, authenticator);
                    const std::string kind = requiredString(request.body, "kind");
                    const std::string id = requiredString(request.body, "id");
                    requireAdministrator(claims, authenticator.storage());
                    if (kind != kDeviceKind) throw ServiceError(400, "Onbekend soort sessie '" + kind + "'.");
                    sessionInOrganization(authenticator, claims, id, std::nullopt);
                    const bool revoked = authenticator.store().revokeSession(id) > 0;
                    sendJson(response, 200, {{"revoked", revoked}});
                }));
    server.Post(R"(/api/native/v1/members/([^/]+)/revoke-sessions)",
                guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                    const AccessClaims claims = authenticateRequest(request, authenticator);
                    requireAdministrator(claims, authenticator.storage());
                    const std::string userId = request.matches[1];
                    const int revoked =
                        authenticator.store().revokeUserSessions(userId, claims.organizationId);
                    sendJson(response, 200, {{"revoked", revoked}});
                }));
    server.Post(R"(/api/native/v1/members/([^/]+)/sessions/([^/]+)/revoke)",
                guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                    const AccessClaims claims = authenticateRequest(request, authenticator);
                    requireAdministrator(claims, authenticator.storage());
                    const std::string userId = request.matches[1];
                    const std::string sessionId = request.matches[2];
                    sessionInOrganization(authenticator, claims, sessionId, userId);
                    const bool revoked = authenticator.store().revokeSession(sessionId) > 0;
                    sendJson(response, 200, {{"revoked", revoked}});
                }));
}

}  // namespace zelvorin::service
