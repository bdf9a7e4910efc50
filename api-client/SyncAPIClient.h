#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/APIError.h"
#include "api-client/HandoffVerifier.h"
#include "api-client/HttpSession.h"
#include "api-client/TokenRefreshCoordinator.h"
#include "api-client/TokenStore.h"
#include "sync/SyncTransport.h"

namespace zelvorin {

using QueryItems = std::vector<std::pair<std::string, std::string>>;

// The one client of the service. Copies share the session and the refresh coordinator.
//
// Authorised requests carry "Bearer <access token>" when a pair is stored. A 401 leads to one
// refresh (shared with every other request that got 401 meanwhile) and one retry with the new
// token; whatever the retry gets is final, even another 401. A refresh the service refuses clears
// the stored tokens.
//
// As the sync engine's transport, a 429 from push or pull becomes SyncRateLimitedError, and a pull
// refused with 403 on a cursor is repeated once without it (the cursor belongs to another
// organisation, so the device syncs again from the start).
class SyncAPIClient : public SyncTransport {
public:
    SyncAPIClient(std::string baseURL, std::shared_ptr<TokenStore> tokenStore, std::string deviceId,
                  std::shared_ptr<HttpSession> session = nullptr);

    const std::string& baseURL() const { return baseURL_; }
    const std::string& deviceId() const { return deviceId_; }
    TokenStore& tokenStore() { return *tokenStore_; }

    // GET, authorised, "fetch" mapping; the decoded JSON body.
    nlohmann::json fetch(const std::string& path, const QueryItems& query = {});
    // A POST (or other method) with a JSON body that answers with the "fetch" mapping.
    nlohmann::json fetch(const std::string& method, const std::string& path,
                         const nlohmann::ordered_json& body);
    // POST/PATCH/DELETE with a JSON body, authorised, "action" mapping; the decoded body, or null
    // when `decode` is false (operations whose answer is ignored never look at it).
    nlohmann::json action(const std::string& method, const std::string& path,
                          const nlohmann::ordered_json& body, bool decode = true);

    PushResponse push(const PushRequest& request) override;
    PullResponse pull(const std::optional<std::string>& cursor, int limit,
                      std::span<const SyncEntityType> entityTypes) override;
    // The "org" claim of the stored access token.
    std::optional<std::string> organizationId() override;

    // The unauthenticated sign-in calls. Both save the new pair before returning it. A code is
    // redeemed with the verifier of the sign-in that asked for it.
    TokenPair redeem(const std::string& code, const CodeVerifier& verifier);
    // Renews the pair after `refusedAccessToken` was answered 401. Under the store's refresh hold,
    // a stored pair that is not the refused one was renewed by another process of this device and
    // is used as it is; a refused refresh clears the store only when the pair it presented is
    // still the stored one.
    TokenPair refreshTokens(const std::optional<std::string>& refusedAccessToken = std::nullopt);

    // The refresh-and-retry rule around one request (the request's own Authorization is replaced).
    HttpResponse sendAuthorized(HttpRequest request);
    HttpResponse sendUnauthenticated(const HttpRequest& request);

    std::string url(const std::string& path, const QueryItems& query = {}) const;

    static bool isAuthorizedPath(const std::string& path);

private:
    PullResponse pullOnce(const std::optional<std::string>& cursor, int limit,
                          std::span<const SyncEntityType> entityTypes);

    HttpRequest jsonRequest(const std::string& method, const std::string& path,
                            const std::string& body) const;
    // The access token attached, if any.
    std::optional<std::string> attachBearer(HttpRequest& request);

    std::string baseURL_;
    std::shared_ptr<TokenStore> tokenStore_;
    std::string deviceId_;
    std::shared_ptr<HttpSession> session_;
    std::shared_ptr<TokenRefreshCoordinator> refreshCoordinator_;
};

bool isSuccess(int status);
// 429 as APIError::RateLimited with the seconds of Retry-After.
APIError rateLimited(const HttpResponse& response);

// The two response mappings, shared by every operation.
nlohmann::json mapFetchResponse(const HttpResponse& response);
nlohmann::json mapActionResponse(const HttpResponse& response, bool decode);

std::string percentEncodeQueryValue(const std::string& value);

}  // namespace zelvorin
