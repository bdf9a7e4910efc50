#pragma once

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "domain/Clock.h"
#include "service/http/Route.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace zelvorin::service {

// Answers every request from one route table:
//
//   path and method ──no route has the path──► 404 notFound
//        │        └──the path, not the method──► 405 methodNotAllowed
//        ▼
//   access level ──(not open) authenticate──► 401 unauthorized / 403 forbidden
//        ▼
//   body rule ──JSON: size, depth, an object──► 413 / 400
//        ▼
//   handler ──► its Reply; or a thrown error, translated once: ServiceError by its kind's entry
//               in the error table, a full disk as storageFull, a busy database as unavailable,
//               anything else as internal (the cause goes to standard error, not to the client)
//
// Of two routes that match a path, the one with more literal segments wins; then the first added.
class Router {
public:
    // Resolves who calls a route that is not open, or throws ServiceError (unauthorized, forbidden).
    using Authenticate = std::function<Caller(const RequestContext&, Access)>;
    // Sees every routed answer before it goes out (the fault switches rewrite some).
    using AfterRoute = std::function<void(const httplib::Request&, httplib::Response&)>;

    Router(RouteTable table, const Clock& clock, Authenticate authenticate, AfterRoute afterRoute = {});

    // Registers the catch-all handlers that send every request here; the router must outlive
    // the server.
    void install(httplib::Server& server) const;

    // The answer to a request, as the server sends it.
    Reply answer(HttpMethod method, const httplib::Request& request) const;

    const std::vector<Route>& routes() const { return table_.routes(); }

private:
    void dispatch(HttpMethod method, const httplib::Request& request, httplib::Response& response) const;
    Reply route(HttpMethod method, const httplib::Request& request) const;

    RouteTable table_;
    const Clock& clock_;
    Authenticate authenticate_;
    AfterRoute afterRoute_;
};

// The Reply for an exception thrown while answering (see Router); `path` names the request in the
// line written to standard error for faults of the service itself.
Reply replyForException(std::exception_ptr error, const std::string& path);

}  // namespace zelvorin::service
