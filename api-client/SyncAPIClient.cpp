#include "api-client/SyncAPIClient.h"

#include "api-client/APIError.h"
#include "api-client/HttpHeaders.h"
#include "api-client/UserAgent.h"

#ifndef ZELVORIN_VERSION
#define ZELVORIN_VERSION "0.0"
#endif

namespace zelvorin {

bool isSuccess(int status) {
    return status >= 200 && status <= 299;
}

APIError rateLimited(const HttpResponse& response) {
    auto header = response.header("Retry-After");
    return APIError(APIError::RateLimited{
        parseRetryAfter(header ? std::optional<std::string_view>(*header) : std::nullopt)});
}

std::string percentEncodeQueryValue(const std::string& value) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : value) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    std::string_view("-._~,:@/!$'()*;").find(static_cast<char>(c)) != std::string_view::npos;
        if (keep) {
            encoded.push_back(static_cast<char>(c));
        } else {
            encoded.push_back('%');
            encoded.push_back(hex[c >> 4]);
            encoded.push_back(hex[c & 0xF]);
        }
    }
    return encoded;
}

nlohmann::json mapFetchResponse(const HttpResponse& response) {
    if (isSuccess(response.status)) return nlohmann::json::parse(response.body);
    switch (response.status) {
        case 401:
            throw APIError(APIError::Unauthorized{});
        case 403:
            throw APIError(APIError::Forbidden{});
        case 404:
            throw APIError(APIError::NotFound{});
        case 429:
            throw rateLimited(response);
        default:
            throw APIError(APIError::HttpError{response.status});
    }
}

nlohmann::json mapActionResponse(const HttpResponse& response, bool decode) {
    if (isSuccess(response.status)) return decode ? nlohmann::json::parse(response.body) : nlohmann::json();
    switch (response.status) {
        case 401:
            throw APIError(APIError::Unauthorized{});
        case 403:
        case 404:
        case 409:
        case 422: {
            auto body = nlohmann::json::parse(response.body, nullptr, /*allow_exceptions=*/false);
            if (body.is_object() && body.contains("error") && body["error"].is_string()) {
                throw APIError(APIError::Conflict{body["error"].get<std::string>()});
            }
            throw APIError(APIError::Conflict{"De actie kon niet worden uitgevoerd."});
        }
        case 429:
            throw rateLimited(response);
        default:
            throw APIError(APIError::HttpError{response.status});
    }
}

SyncAPIClient::SyncAPIClient(std::string baseURL, std::shared_ptr<TokenStore> tokenStore,
                             std::string deviceId, std::shared_ptr<HttpSession> session)
    : baseURL_(std::move(baseURL)),
      tokenStore_(std::move(tokenStore)),
      deviceId_(std::move(deviceId)),
      session_(session ? std::move(session)
                       : std::make_shared<HttpSession>(userAgentString(ZELVORIN_VERSION))),
      refreshCoordinator_(std::make_shared<TokenRefreshCoordinator>()) {
    if (!baseURL_.empty() && baseURL_.back() != '/') baseURL_ += '/';
}

bool SyncAPIClient::isAuthorizedPath(const std::string& path) {
    return path.starts_with("api/native/v1/") || path.starts_with("api/sync/") ||
           path == "api/native/onboarding/step" || path == "api/native/onboarding/first-customer" ||
           path == "api/native/web-session" || path == "api/auth/native/switch-org";
}

std::string SyncAPIClient::url(const std::string& path, const QueryItems& query) const {
    std::string result = baseURL_ + path;
    char separator = '?';
    for (const auto& [name, value] : query) {
        result += separator + percentEncodeQueryValue(name) + "=" + percentEncodeQueryValue(value);
        separator = '&';
    }
    return result;
}

HttpRequest SyncAPIClient::jsonRequest(const std::string& method, const std::string& path,
                                       const std::string& body) const {
    HttpRequest request;
    request.method = method;
    request.url = url(path);
    request.body = body;
    request.headers.emplace_back("Content-Type", "application/json");
    return request;
}

std::optional<std::string> SyncAPIClient::attachBearer(HttpRequest& request) {
    std::erase_if(request.headers, [](const auto& header) { return header.first == "Authorization"; });
    auto tokens = tokenStore_->load();
    if (!tokens) return std::nullopt;
    request.headers.emplace_back("Authorization", "Bearer " + tokens->accessToken);
    return tokens->accessToken;
}

HttpResponse SyncAPIClient::sendUnauthenticated(const HttpRequest& request) {
    return session_->send(request);
}

HttpResponse SyncAPIClient::sendAuthorized(HttpRequest request) {
    std::optional<std::string> sentWith = attachBearer(request);
    HttpResponse response = session_->send(request);
    if (response.status != 401 || deviceId_.empty()) return response;
    // A refresh that finished while this request was under way already replaced the token the
    // 401 is about: retry with the new one instead of refreshing a second time.
    auto current = tokenStore_->load();
    bool alreadyRenewed = current && sentWith && current->accessToken != *sentWith;
    if (!alreadyRenewed) {
        refreshCoordinator_->refresh([this, &sentWith] { refreshTokens(sentWith); });
    }
    attachBearer(request);
    return session_->send(request);
}

nlohmann::json SyncAPIClient::fetch(const std::string& path, const QueryItems& query) {
    HttpRequest request;
    request.url = url(path, query);
    return mapFetchResponse(isAuthorizedPath(path) ? sendAuthorized(request) : sendUnauthenticated(request));
}

nlohmann::json SyncAPIClient::fetch(const std::string& method, const std::string& path,
                                    const nlohmann::ordered_json& body) {
    const HttpRequest request = jsonRequest(method, path, body.dump());
    return mapFetchResponse(isAuthorizedPath(path) ? sendAuthorized(request) : sendUnauthenticated(request));
}

nlohmann::json SyncAPIClient::action(const std::string& method, const std::string& path,
                                     const nlohmann::ordered_json& body, bool decode) {
    HttpRequest request = jsonRequest(method, path, body.dump());
    return mapActionResponse(isAuthorizedPath(path) ? sendAuthorized(request) : sendUnauthenticated(request),
                             decode);
}

TokenPair SyncAPIClient::redeem(const std::string& code, const CodeVerifier& verifier) {
    nlohmann::ordered_json body{{"deviceId", deviceId_}, {"code", code}, {"codeVerifier", verifier.text()}};
    auto json =
        mapFetchResponse(sendUnauthenticated(jsonRequest("POST", "api/auth/native/redeem", body.dump())));
    auto pair = TokenPair::fromJson(json);
    if (!pair) throw APIError(APIError::InvalidResponse{});
    tokenStore_->save(*pair);
    return *pair;
}

TokenPair SyncAPIClient::refreshTokens(const std::optional<std::string>& refusedAccessToken) {
    const std::shared_ptr<void> held = tokenStore_->holdForRefresh();
    auto stored = tokenStore_->load();
    if (!stored) throw APIError(APIError::Unauthorized{});
    if (refusedAccessToken && stored->accessToken != *refusedAccessToken) return *stored;
    nlohmann::ordered_json body{{"deviceId", deviceId_}, {"refreshToken", stored->refreshToken}};
    nlohmann::json json;
    try {
        json = mapFetchResponse(
            sendUnauthenticated(jsonRequest("POST", "api/auth/native/refresh", body.dump())));
    } catch (const APIError& error) {
        if (!error.is<APIError::Unauthorized>()) throw;
        // Another process without the hold (a store that has none) may have renewed meanwhile.
        if (const auto now = tokenStore_->load(); now && now->refreshToken != stored->refreshToken)
            return *now;
        tokenStore_->clear();
        throw;
    }
    auto pair = TokenPair::fromJson(json);
    if (!pair) throw APIError(APIError::InvalidResponse{});
    tokenStore_->save(*pair);
    return *pair;
}

}  // namespace zelvorin
