#include "service/sync/SyncRoutes.h"

#include <algorithm>
#include <charconv>

#include "service/http/Route.h"
#include "service/http/ServiceError.h"
#include "service/sync/SyncPull.h"
#include "service/sync/SyncPush.h"
#include "sync/SyncDecodingError.h"
#include "sync/SyncEntityType.h"

namespace zelvorin::service {

namespace {

int pullLimit(const RequestContext& context) {
    const std::optional<std::string> text = context.query("limit");
    if (!text) return tunables::kDefaultPullLimit;
    int limit = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), limit);
    if (error != std::errc() || end != text->data() + text->size() || limit < 1 ||
        limit > tunables::kMaxPullLimit) {
        throw ServiceError(ErrorKind::badRequest, "limit moet een geheel getal van 1 tot en met " +
                                                      std::to_string(tunables::kMaxPullLimit) + " zijn.");
    }
    return limit;
}

std::vector<std::string> entityTypes(const RequestContext& context) {
    std::vector<std::string> types;
    const std::optional<std::string> list = context.query("entityTypes");
    if (!list) return types;
    std::size_t start = 0;
    while (start <= list->size()) {
        const std::size_t comma = std::min(list->find(',', start), list->size());
        std::string type = list->substr(start, comma - start);
        if (!parseSyncEntityType(type))
            throw ServiceError(ErrorKind::badRequest, "Onbekend entityType '" + type + "'.");
        types.push_back(std::move(type));
        start = comma + 1;
    }
    return types;
}

PushRequest pushRequest(const RequestContext& context) {
    PushRequest request;
    try {
        request = decodePushRequest(context.body());
    } catch (const SyncDecodingError& error) {
        throw ServiceError(ErrorKind::badRequest,
                           std::string("De push kon niet gelezen worden: ") + error.what());
    }
    if (request.changes.size() > tunables::kMaxPushChanges) {
        throw ServiceError(
            ErrorKind::payloadTooLarge,
            "Een push mag hoogstens " + std::to_string(tunables::kMaxPushChanges) + " wijzigingen bevatten.");
    }
    if (request.deviceId != context.caller().deviceId)
        throw ServiceError(ErrorKind::forbidden, "Het deviceId van de push hoort niet bij deze sessie.");
    return request;
}

}  // namespace

void addSyncRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.add(
        HttpMethod::post, "api/sync/push", Access::member, BodyRule::json(tunables::kMaxPushBodyBytes),
        [&](RequestContext& context) {
            return Reply::json(applyPush(database, context.caller(), pushRequest(context), context.now()));
        },
        AuditRule::perRecord());
    routes.get("api/sync/pull", Access::member, [&](RequestContext& context) {
        const PullQuery query{context.caller().organizationId, context.query("cursor"), pullLimit(context),
                              entityTypes(context)};
        return Reply::jsonText(pullPage(database, query, context.now()));
    });
}

}  // namespace zelvorin::service
