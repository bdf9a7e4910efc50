#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/PathPattern.h"
#include "service/store/Accounts.h"

namespace httplib {
struct Request;
}

namespace zelvorin::service {

using Json = nlohmann::ordered_json;

// Who a request comes from, as its access token and the database say: the session's user, device
// and organisation, and for member and admin routes the user's membership of that organisation.
struct Caller {
    std::string userId;
    std::string organizationId;
    std::string deviceId;
    std::string sessionId;
    std::optional<Membership> membership;
};

// Everything a route handler gets: the request's instant (one reading of the service's clock, so
// everything a request stamps agrees), the caller its access level required, the JSON body its
// body rule parsed, and the path's parameters. Handlers read the raw request only for what is
// particular to them (query items, a multipart form, conditional headers).
class RequestContext {
public:
    RequestContext(const httplib::Request& request, TimePoint now, PathParameters parameters)
        : request_(request), now_(now), parameters_(std::move(parameters)) {}

    const httplib::Request& request() const { return request_; }
    TimePoint now() const { return now_; }

    // The caller of a route that is not open; ServiceError(internal) on an open route, which is a
    // mistake in the route table.
    const Caller& caller() const;
    // The caller's membership on member and admin routes.
    const Membership& membership() const;
    // The parsed object of a route whose body rule is JSON.
    const Json& body() const;
    // A path parameter by its name in the pattern.
    const std::string& parameter(std::string_view name) const;
    const PathParameters& parameters() const { return parameters_; }
    // A query item; nothing when absent.
    std::optional<std::string> query(const char* name) const;
    std::string header(const char* name) const;
    // The token of "Authorization: Bearer <token>"; empty when there is none.
    std::string bearerToken() const;

    void setCaller(Caller caller) { caller_ = std::move(caller); }
    void setBody(Json body) { body_ = std::move(body); }

private:
    const httplib::Request& request_;
    TimePoint now_;
    PathParameters parameters_;
    std::optional<Caller> caller_;
    std::optional<Json> body_;
};

// The token of an "Authorization: Bearer <token>" header value; empty for any other value.
std::string bearerTokenOf(std::string_view authorization);

}  // namespace zelvorin::service
