// The sync engine's two calls on the API client.
#include <algorithm>
#include <cstdint>

#include "api-client/APIError.h"
#include "api-client/SyncAPIClient.h"
#include "sync/SyncEndpoints.h"
#include "sync/SyncLog.h"
#include "sync/SyncRateLimitedError.h"

namespace zelvorin {

namespace {

// The fetch mapping, with the successful body decoded straight from its text: a pull page is the
// hot path and goes from text to wire values without an intermediate document.
template <class Decode>
auto decodeFetched(const HttpResponse& response, Decode decode) {
    try {
        if (response.status < 200 || response.status > 299) mapFetchResponse(response);  // throws
        return decode(response.body);
    } catch (const APIError& error) {
        if (const auto* limited = std::get_if<APIError::RateLimited>(&error.value())) {
            std::optional<int> seconds;
            if (limited->retryAfterSeconds) {
                seconds =
                    static_cast<int>(std::clamp<std::int64_t>(*limited->retryAfterSeconds, 0, INT32_MAX));
            }
            throw SyncRateLimitedError(seconds);
        }
        throw;
    }
}

}  // namespace

PushResponse SyncAPIClient::push(const PushRequest& request) {
    HttpRequest http = jsonRequest("POST", std::string(kSyncPushPath), toJson(request).dump());
    return decodeFetched(sendAuthorized(std::move(http)),
                         [](const std::string& body) { return parsePushResponse(body); });
}

PullResponse SyncAPIClient::pull(const std::optional<std::string>& cursor, int limit,
                                 std::span<const SyncEntityType> entityTypes) {
    if (!cursor) return pullOnce(cursor, limit, entityTypes);
    try {
        return pullOnce(cursor, limit, entityTypes);
    } catch (const APIError& error) {
        if (!error.is<APIError::Forbidden>()) throw;
        syncLog().error(
            "Pull 403 op een niet-lege cursor — cursor hoort bij een andere organisatie. Val terug op "
            "cursor=nil "
            "(volledige hersync) en probeer één keer opnieuw.");
        return pullOnce(std::nullopt, limit, entityTypes);
    }
}

PullResponse SyncAPIClient::pullOnce(const std::optional<std::string>& cursor, int limit,
                                     std::span<const SyncEntityType> entityTypes) {
    HttpRequest http;
    http.url = url(std::string(kSyncPullPath), pullQueryItems(cursor, limit, entityTypes));
    return decodeFetched(sendAuthorized(std::move(http)),
                         [](const std::string& body) { return parsePullResponse(body); });
}

}  // namespace zelvorin

namespace zelvorin {

std::optional<std::string> SyncAPIClient::organizationId() {
    const std::optional<TokenPair> pair = tokenStore_->load();
    if (!pair) return std::nullopt;
    return stringClaim(pair->accessToken, "org");
}

}  // namespace zelvorin
