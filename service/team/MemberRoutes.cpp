#include "service/team/MemberRoutes.h"

#include <charconv>
#include <chrono>

#include "domain/Timestamps.h"

#include "service/ServiceTunables.h"
#include "service/http/JsonBody.h"
#include "service/http/Route.h"
#include "service/http/ServiceError.h"
#include "service/store/ServiceDatabase.h"
#include "service/team/MemberActions.h"

namespace zelvorin::service {

namespace {

void putOptional(Json& object, const char* key, const std::optional<std::string>& value) {
    if (value) object[key] = *value;
}

// A session ends at the latest this long after it started (an idle one sooner).
std::string sessionExpiry(const std::string& createdAt) {
    const std::optional<TimePoint> started = parseTimestamp(createdAt);
    if (!started) return createdAt;
    return formatTimestampSeconds(*started + std::chrono::seconds(tunables::kSessionLifetime));
}

Json memberJson(const TeamMember& member) {
    Json json{{"userId", member.user.id},
              {"name", member.user.name},
              {"email", member.user.email},
              {"role", member.membership.role},
              {"createdAt", member.membership.createdAt}};
    putOptional(json, "lastActive", member.lastActive);
    return json;
}

Json teamJson(const Team& team, const Caller& caller) {
    Json members = Json::array();
    for (const TeamMember& member : team.members)
        members.push_back(memberJson(member));
    Json invites = Json::array();
    for (const MemberInvite& invite : team.invites) {
        invites.push_back({{"id", invite.id},
                           {"email", invite.email},
                           {"role", invite.role},
                           {"createdAt", invite.createdAt},
                           {"expiresAt", invite.expiresAt}});
    }
    Json json{
        {"members", std::move(members)}, {"invites", std::move(invites)}, {"callerUserId", caller.userId}};
    if (caller.membership) json["callerRole"] = caller.membership->role;
    json["callerIsAdmin"] = caller.membership && caller.membership->isAdministrator();
    return json;
}

Json detailJson(const MemberDetail& detail) {
    const TeamMember& member = detail.member;
    Json sessions = Json::array();
    for (const DeviceSession& session : detail.sessions) {
        Json item{{"id", session.id}};
        if (!session.ip.empty()) item["ipAddress"] = session.ip;
        if (!session.userAgent.empty()) item["userAgent"] = session.userAgent;
        item["createdAt"] = session.createdAt;
        item["expiresAt"] = sessionExpiry(session.createdAt);
        sessions.push_back(std::move(item));
    }
    Json activity = Json::array();
    for (const AuditEntry& entry : detail.activity) {
        Json item{{"id", std::to_string(entry.id)},
                  {"timestamp", entry.at},
                  {"action", entry.action},
                  {"entityType", entry.entityType},
                  {"entityId", entry.entityId}};
        putOptional(item, "ipAddress", entry.ipAddress);
        activity.push_back(std::move(item));
    }
    return Json{{"profile",
                 {{"userId", member.user.id},
                  {"name", member.user.name},
                  {"email", member.user.email},
                  {"role", member.membership.role},
                  {"createdAt", member.membership.createdAt}}},
                {"sessions", std::move(sessions)},
                {"activity", std::move(activity)}};
}

Json auditEntryJson(const AuditEntry& entry) {
    Json json{
        {"id", std::to_string(entry.id)}, {"timestamp", entry.at}, {"userId", entry.userId.value_or("")}};
    putOptional(json, "userName", entry.userName);
    putOptional(json, "userEmail", entry.userEmail);
    json["action"] = entry.action;
    json["entityType"] = entry.entityType;
    json["entityId"] = entry.entityId;
    putOptional(json, "detailsJson", entry.detailsJson);
    putOptional(json, "ipAddress", entry.ipAddress);
    return json;
}

// A query item that must be a whole number from `low` to `high`; `fallback` when absent.
int boundedQuery(const RequestContext& context, const char* name, int fallback, int low, int high) {
    const std::optional<std::string> text = context.query(name);
    if (!text) return fallback;
    int value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc{} || end != text->data() + text->size() || value < low || value > high)
        throw ServiceError(ErrorKind::badRequest, std::string("De parameter ") + name +
                                                      " moet een geheel getal van " + std::to_string(low) +
                                                      " tot " + std::to_string(high) + " zijn.");
    return value;
}

}  // namespace

void addMemberRoutes(RouteTable& routes, const ServiceDatabase& database, const MailOutbox& outbox) {
    routes.get("api/native/v1/members", Access::member, [&](RequestContext& context) {
        return Reply::json(teamJson(listTeam(database, context.caller()), context.caller()));
    });
    routes.get("api/native/v1/members/{userId}", Access::member, [&](RequestContext& context) {
        return Reply::json(detailJson(memberDetail(database, context.caller(), context.parameter("userId"))));
    });
    routes.add(HttpMethod::post, "api/native/v1/members/invite", Access::admin, BodyRule::json(),
               [&](RequestContext& context) {
                   const Json& body = context.body();
                   const InviteRequest request{requiredText(body, "email"), requiredText(body, "role"),
                                               optionalText(body, "firstName").value_or(""),
                                               optionalText(body, "lastName").value_or("")};
                   const MemberInvite invite =
                       inviteMember(database, outbox, context.caller(), request, context.now());
                   return Reply::json(Json{{"id", invite.id}, {"expiresAt", invite.expiresAt}});
               });
    routes.add(HttpMethod::patch, "api/native/v1/members/{userId}", Access::admin, BodyRule::json(),
               [&](RequestContext& context) {
                   changeRole(database, context.caller(), context.parameter("userId"),
                              requiredText(context.body(), "role"));
                   return Reply::json(Json{{"ok", true}});
               });
    routes.add(HttpMethod::patch, "api/native/v1/members/{userId}/name", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   renameMember(database, context.caller(), context.parameter("userId"),
                                requiredText(context.body(), "name"));
                   return Reply::json(Json{{"ok", true}});
               });
    routes.add(HttpMethod::post, "api/native/v1/members/{userId}/reset-password", Access::admin,
               BodyRule::none(), [&](RequestContext& context) {
                   sendPasswordReset(database, outbox, context.caller(), context.parameter("userId"),
                                     context.now());
                   return Reply::json(Json{{"ok", true}});
               });
    routes.add(HttpMethod::del, "api/native/v1/members/{userId}", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   removeMember(database, context.caller(), context.parameter("userId"));
                   return Reply::json(Json{{"ok", true}});
               });
    routes.add(HttpMethod::post, "api/native/v1/members/invites/{inviteId}/resend", Access::admin,
               BodyRule::none(), [&](RequestContext& context) {
                   resendInvite(database, outbox, context.caller(), context.parameter("inviteId"),
                                context.now());
                   return Reply::json(Json{{"ok", true}});
               });
    routes.add(HttpMethod::del, "api/native/v1/members/invites/{inviteId}", Access::admin, BodyRule::none(),
               [&](RequestContext& context) {
                   removeInvite(database, context.caller(), context.parameter("inviteId"));
                   return Reply::json(Json{{"ok", true}});
               });
    routes.get("api/native/v1/audit-log", Access::admin, [&](RequestContext& context) {
        const int limit =
            boundedQuery(context, "limit", tunables::kDefaultAuditPage, 1, tunables::kMaxAuditPage);
        const int offset = boundedQuery(context, "offset", 0, 0, 1'000'000'000);
        // One more than asked tells whether another page follows.
        std::vector<AuditEntry> entries = database.read([&](Connection& db) {
            return auditlog::newest(db, context.caller().organizationId, limit + 1, offset);
        });
        const bool hasMore = entries.size() > static_cast<std::size_t>(limit);
        if (hasMore) entries.pop_back();
        Json list = Json::array();
        for (const AuditEntry& entry : entries)
            list.push_back(auditEntryJson(entry));
        return Reply::json(Json{{"entries", std::move(list)}, {"hasMore", hasMore}});
    });
}

}  // namespace zelvorin::service
