#pragma once

#include <optional>
#include <string>

#include "api-client/MultipartBody.h"
#include "api-client/SyncAPIClient.h"

// What the calls with their own status handling (uploads, downloads, exports) share.
namespace zelvorin::rawresponses {

// Throws for 401 (Unauthorized) and 429 (RateLimited with the Retry-After seconds); returns otherwise.
void throwIfUnauthorizedOrRateLimited(const HttpResponse& response);

// The service's "error" text of a refused request, else `fallback`.
std::string errorText(const HttpResponse& response, const std::string& fallback);

// An authorised POST of a multipart body (the refresh rule applies).
HttpResponse postMultipart(SyncAPIClient& client, const std::string& path, const MultipartBody& body,
                           const std::optional<std::string>& idempotencyKey = std::nullopt);

}  // namespace zelvorin::rawresponses
