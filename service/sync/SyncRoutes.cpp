#include "service/sync/SyncRoutes.h"

#include <charconv>
#include <chrono>

#include <httplib.h>

#include "service/FaultSwitches.h"
#include "service/JsonResponses.h"
#include "service/ServiceError.h"
#include "service/auth/Authenticator.h"
#include "service/auth/RequestAuthentication.h"
#include "service/sync/SyncPull.h"
#include "service/sync/SyncPush.h"
#include "sync/SyncDecodingError.h"
#include "sync/SyncEntityType.h"

namespace zelvorin::service {

namespace {

constexpr int kDefaultPullLimit = 500;
constexpr int kMaxPullLimit = 1000;

int pullLimit(const httplib::Request& request) {
    if (!request.has_param("limit")) return kDefaultPullLimit;
    const std::string text = request.get_param_value("limit");
    int limit = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), limit);
    if (error != std::errc() || end != text.data() + text.size() || limit < 1 || limit > kMaxPullLimit) {
        throw ServiceError(
            400, "limit moet een geheel getal van 1 tot en met " + std::to_string(kMaxPullLimit) + " zijn.");
    }
    return limit;
}

std::vector<std::string> entityTypes(const httplib::Request& request) {
    std::vector<std::string> types;
    if (!request.has_param("entityTypes")) return types;
    const std::string list = request.get_param_value("entityTypes");
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        std::string type = list.substr(start, comma - start);
        if (!parseSyncEntityType(type)) throw ServiceError(400, "Onbekend entityType '" + type + "'.");
        types.push_back(std::move(type));
        start = comma + 1;
    }
    return types;
}

void push(Authenticator& authenticator, const httplib::Request& request, httplib::Response& response) {
    const AccessClaims claims = authenticateRequest(request, authenticator);
    requireMembership(claims, authenticator.storage());
    PushRequest body;
    try {
        body = parsePushRequest(request.body);
    } catch (const SyncDecodingError& error) {
        throw ServiceError(400, std::string("De push kon niet gelezen worden: ") + error.what());
    }
    if (body.changes.size() > kMaxPushChanges) {
        throw ServiceError(
            413, "Een push mag hoogstens " + std::to_string(kMaxPushChanges) + " wijzigingen bevatten.");
    }
    if (body.deviceId != claims.deviceId) {
        throw ServiceError(403, "Het deviceId van de push hoort niet bij deze sessie.");
    }
    sendJson(
        response, 200,
        applyPush(authenticator.storage(), claims.organizationId, body, std::chrono::system_clock::now()));
}

void pull(Authenticator& authenticator, const httplib::Request& request, httplib::Response& response) {
    const AccessClaims claims = authenticateRequest(request, authenticator);
    requireMembership(claims, authenticator.storage());
    PullQuery query{claims.organizationId, std::nullopt, pullLimit(request), entityTypes(request)};
    if (request.has_param("cursor")) query.cursor = request.get_param_value("cursor");
    response.status = 200;
    response.set_content(pullPage(authenticator.storage(), query, std::chrono::system_clock::now()),
                         "application/json");
}

}  // namespace

void addSyncRoutes(httplib::Server& server, Authenticator& authenticator, FaultSwitches& faults) {
    server.set_payload_max_length(kMaxRequestBodyBytes);
    server.Post("/api/sync/push",
                guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                    push(authenticator, request, response);
                }));
    server.Get("/api/sync/pull", guarded([&authenticator, &faults](const httplib::Request& request,
                                                                   httplib::Response& response) {
                   pull(authenticator, request, response);
                   faults.rewrite(request, response);
               }));
}

}  // namespace zelvorin::service
