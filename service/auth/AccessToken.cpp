#include "service/auth/AccessToken.h"

#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "service/auth/AuthCrypto.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

constexpr std::string_view kHeader = R"({"alg":"HS256","typ":"JWT"})";

[[noreturn]] void refuse(const std::string& message) {
    throw ServiceError(ErrorKind::unauthorized, message);
}

std::vector<std::string_view> splitParts(std::string_view token) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = token.find('.', start);
        parts.push_back(
            token.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return parts;
}

std::string stringClaim(const nlohmann::json& payload, const char* key) {
    const auto found = payload.find(key);
    if (found == payload.end() || !found->is_string() || found->get<std::string>().empty()) {
        refuse("Het toegangstoken is ongeldig.");
    }
    return found->get<std::string>();
}

std::int64_t integerClaim(const nlohmann::json& payload, const char* key) {
    const auto found = payload.find(key);
    if (found == payload.end() || !found->is_number_integer()) refuse("Het toegangstoken is ongeldig.");
    return found->get<std::int64_t>();
}

}  // namespace

std::string signAccessToken(const AccessTokenContent& content, std::string_view secret) {
    nlohmann::ordered_json payload;
    payload["did"] = content.deviceId;
    payload["sub"] = content.userId;
    payload["org"] = content.organizationId;
    payload["sid"] = content.sessionId;
    payload["iat"] = content.issuedAt;
    payload["exp"] = content.expiresAt;
    const std::string signingInput = base64UrlEncode(kHeader) + "." + base64UrlEncode(payload.dump());
    return signingInput + "." + base64UrlEncode(hmacSha256(secret, signingInput));
}

AccessTokenContent verifyAccessToken(std::string_view token, std::string_view secret, std::int64_t now) {
    const std::vector<std::string_view> parts = splitParts(token);
    if (parts.size() != 3) refuse("Het toegangstoken is ongeldig.");
    const std::string_view signingInput = token.substr(0, parts[0].size() + 1 + parts[1].size());
    const std::optional<std::string> signature = base64UrlDecode(parts[2]);
    // The signature first: nothing of an unsigned payload is looked at.
    if (!signature || !constantTimeEquals(*signature, hmacSha256(secret, signingInput))) {
        refuse("Het toegangstoken is ongeldig.");
    }
    const std::optional<std::string> header = base64UrlDecode(parts[0]);
    const std::optional<std::string> payloadText = base64UrlDecode(parts[1]);
    if (!header || !payloadText) refuse("Het toegangstoken is ongeldig.");
    const nlohmann::json headerJson = nlohmann::json::parse(*header, nullptr, false);
    const auto alg = headerJson.is_object() ? headerJson.find("alg") : headerJson.end();
    if (!headerJson.is_object() || alg == headerJson.end() || *alg != "HS256")
        refuse("Het toegangstoken is ongeldig.");
    const nlohmann::json payload = nlohmann::json::parse(*payloadText, nullptr, false);
    if (!payload.is_object()) refuse("Het toegangstoken is ongeldig.");

    AccessTokenContent content;
    content.deviceId = stringClaim(payload, "did");
    content.userId = stringClaim(payload, "sub");
    content.organizationId = stringClaim(payload, "org");
    content.sessionId = stringClaim(payload, "sid");
    content.issuedAt = integerClaim(payload, "iat");
    content.expiresAt = integerClaim(payload, "exp");
    if (now >= content.expiresAt) refuse("Het toegangstoken is verlopen.");
    return content;
}

}  // namespace zelvorin::service
