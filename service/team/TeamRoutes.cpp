#include "service/team/TeamRoutes.h"

#include "service/http/JsonBody.h"
#include "service/http/Route.h"
#include "service/team/MemberRoutes.h"
#include "service/team/TeamActions.h"

namespace zelvorin::service {

namespace {

Json sessionJson(const ListedSession& listed) {
    const DeviceSession& session = listed.session;
    Json entry{{"kind", "device"}, {"id", session.id}, {"userId", session.userId}};
    if (listed.user) {
        entry["userName"] = listed.user->name;
        entry["userEmail"] = listed.user->email;
    }
    entry["label"] = session.label;
    entry["platform"] = session.platform;
    entry["appVersion"] = session.appVersion;
    entry["ip"] = session.ip;
    entry["userAgent"] = session.userAgent;
    entry["lastSeenAt"] = session.lastSeenAt;
    entry["createdAt"] = session.createdAt;
    return entry;
}

}  // namespace

void addTeamRoutes(RouteTable& routes, const ServiceDatabase& database, const MailOutbox& outbox) {
    addMemberRoutes(routes, database, outbox);
    routes.get("api/native/v1/admin/sessions", Access::admin, [&](RequestContext& context) {
        Json sessions = Json::array();
        for (const ListedSession& listed : standingSessions(database, context.caller()))
            sessions.push_back(sessionJson(listed));
        return Reply::json(Json{{"isAdmin", true}, {"sessions", std::move(sessions)}});
    });
    routes.add(HttpMethod::post, "api/native/v1/admin/sessions/revoke", Access::admin, BodyRule::json(),
               [&](RequestContext& context) {
                   const std::string kind = requiredText(context.body(), "kind");
                   const std::string id = requiredText(context.body(), "id");
                   return Reply::json(Json{{"revoked", revokeSession(database, context.caller(), kind, id)}});
               });
    routes.add(HttpMethod::post, "api/native/v1/members/{userId}/revoke-sessions", Access::admin,
               BodyRule::none(), [&](RequestContext& context) {
                   const int revoked =
                       revokeMemberSessions(database, context.caller(), context.parameter("userId"));
                   return Reply::json(Json{{"revoked", revoked}});
               });
    routes.add(HttpMethod::post, "api/native/v1/members/{userId}/sessions/{sessionId}/revoke", Access::admin,
               BodyRule::none(), [&](RequestContext& context) {
                   const bool revoked =
                       revokeMemberSession(database, context.caller(), context.parameter("userId"),
                                           context.parameter("sessionId"));
                   return Reply::json(Json{{"revoked", revoked}});
               });
}

}  // namespace zelvorin::service
