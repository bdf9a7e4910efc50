#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "service/ServiceTunables.h"
#include "service/http/PathPattern.h"
#include "service/http/Reply.h"
#include "service/http/RequestContext.h"
#include "service/store/RequestAudit.h"

namespace zelvorin::service {

enum class HttpMethod { get, post, put, patch, del };

// Who may call a route. The router checks it before the handler runs, so no handler checks it.
enum class Access {
    open,       // anyone: sign-in, the hand-off page, health, the loopback inspection routes
    signedIn,   // a valid access token of a session that stands; membership is not required
                // (listing one's organisations and switching away must work for a removed member)
    member,     // a valid token and still a member of the token's organisation
    admin,      // a member whose role is owner or admin
    operator_,  // the service's operator: the admin token of AdminGate, no user (tests, development)
};

// What a route reads from the request body. The router parses it before the handler runs.
struct BodyRule {
    enum class Kind { none, json, multipart };
    Kind kind = Kind::none;
    std::size_t maxBytes = 0;  // for JSON; multipart bodies are held to the library's overall limit

    static BodyRule none() { return {Kind::none, 0}; }
    static BodyRule json(std::size_t maxBytes = tunables::kMaxJsonBodyBytes) {
        return {Kind::json, maxBytes};
    }
    static BodyRule multipart() { return {Kind::multipart, 0}; }
};

using RouteHandler = std::function<Reply(RequestContext&)>;

// How a route that is not a GET is audited (see RequestAudit). Most routes need nothing: the
// default writes one entry named after the path in the route's first transaction that changes a
// row. A route names its action with AuditRule::named("members.invite"), and one that changes
// nothing an organisation keeps says why with AuditRule::nothing("…") — the route-table test holds
// every other route to exactly one entry.
struct AuditRule {
    AuditKind kind = AuditKind::perRequest;
    std::string action;  // empty: derived from the path
    std::string reason;  // for nothing: why

    static AuditRule named(std::string action) { return {AuditKind::perRequest, std::move(action), {}}; }
    static AuditRule perRecord() { return {AuditKind::perRecord, {}, {}}; }
    static AuditRule nothing(std::string reason) { return {AuditKind::nothing, {}, std::move(reason)}; }
};

struct Route {
    HttpMethod method;
    PathPattern pattern;
    Access access;
    BodyRule body;
    RouteHandler handler;
    AuditRule audit;
};

// The action name of a route that does not name its own: the path's literal segments after the
// API prefix joined by dots, with the method's verb where the path does not end in one
// ("PATCH api/native/v1/members/{userId}" -> "members.update").
std::string derivedAuditAction(HttpMethod method, const PathPattern& pattern);

// The service's routes, built by each family's routes file and handed to the Router whole.
class RouteTable {
public:
    void add(HttpMethod method, std::string_view pattern, Access access, BodyRule body, RouteHandler handler,
             AuditRule audit = {}) {
        routes_.push_back(
            Route{method, PathPattern(pattern), access, body, std::move(handler), std::move(audit)});
    }
    void get(std::string_view pattern, Access access, RouteHandler handler) {
        add(HttpMethod::get, pattern, access, BodyRule::none(), std::move(handler));
    }
    const std::vector<Route>& routes() const { return routes_; }

private:
    std::vector<Route> routes_;
};

}  // namespace zelvorin::service
