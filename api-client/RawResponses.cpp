#include "api-client/RawResponses.h"

#include <nlohmann/json.hpp>

namespace zelvorin::rawresponses {

void throwIfUnauthorizedOrRateLimited(const HttpResponse& response) {
    if (response.status == 401) throw APIError(APIError::Unauthorized{});
    if (response.status == 429) throw rateLimited(response);
}

std::string errorText(const HttpResponse& response, const std::string& fallback) {
    const auto body = nlohmann::json::parse(response.body, nullptr, /*allow_exceptions=*/false);
    if (body.is_object() && body.contains("error") && body["error"].is_string()) return body["error"];
    return fallback;
}

HttpResponse postMultipart(SyncAPIClient& client, const std::string& path, const MultipartBody& body,
                           const std::optional<std::string>& idempotencyKey) {
    HttpRequest request;
    request.method = "POST";
    request.url = client.url(path);
    request.headers.emplace_back("Content-Type", body.contentType());
    if (idempotencyKey) request.headers.emplace_back("Idempotency-Key", *idempotencyKey);
    request.body = body.finish();
    return client.sendAuthorized(std::move(request));
}

}  // namespace zelvorin::rawresponses
