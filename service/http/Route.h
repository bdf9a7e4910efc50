#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "service/ServiceTunables.h"
#include "service/http/PathPattern.h"
#include "service/http/Reply.h"
#include "service/http/RequestContext.h"

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

struct Route {
    HttpMethod method;
    PathPattern pattern;
    Access access;
    BodyRule body;
    RouteHandler handler;
};

// The service's routes, built by each family's routes file and handed to the Router whole.
class RouteTable {
public:
    void add(HttpMethod method, std::string_view pattern, Access access, BodyRule body,
             RouteHandler handler) {
        routes_.push_back(Route{method, PathPattern(pattern), access, body, std::move(handler)});
    }
    void get(std::string_view pattern, Access access, RouteHandler handler) {
        add(HttpMethod::get, pattern, access, BodyRule::none(), std::move(handler));
    }
    const std::vector<Route>& routes() const { return routes_; }

private:
    std::vector<Route> routes_;
};

}  // namespace zelvorin::service
