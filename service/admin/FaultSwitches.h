#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace zelvorin::service {

// Faults that tests switch on through the admin routes, so a client meets the service's bad days
// for real: the next `count` requests of a path answered with a status (429 with or without
// Retry-After, 500, ...), answered only after a delay, cut off in the middle of the body, or
// answered as routed but claiming more is to come ("hasMore": true: a pull that never ends).
struct Fault {
    enum class Kind { status, delay, drop, claimMore };

    std::string path;  // exact request path, e.g. "/api/sync/pull"
    int count = 1;
    Kind kind = Kind::status;
    int status = 500;
    std::optional<std::string> retryAfter;  // sent as given, so tests can send nonsense too
    std::chrono::milliseconds delay{0};
};

class FaultSwitches {
public:
    void add(Fault fault);
    void clear();

    // Called before routing. True when the fault answered the request itself (status, drop);
    // a delay sleeps here and lets routing go on.
    bool intercept(const httplib::Request& request, httplib::Response& response);
    // Called by a route with its answer: a claimMore fault rewrites a JSON object answer.
    void rewrite(const httplib::Request& request, httplib::Response& response);

private:
    // The first fault of `path` whose kind `wanted` accepts; one use of it is spent.
    template <class Predicate>
    std::optional<Fault> take(const std::string& path, Predicate wanted);

    std::mutex mutex_;
    std::vector<Fault> faults_;
};

// A fault as POST /admin/faults describes it: {"path", "count", "status" | "delayMs" | "drop": true |
// "hasMore": true, "retryAfter"}. Throws ServiceError(badRequest) for one that makes no sense.
Fault parseFault(const nlohmann::ordered_json& body);

}  // namespace zelvorin::service
