#include "api-client/TokenStore.h"

namespace zelvorin {

nlohmann::ordered_json TokenPair::toJson() const {
    nlohmann::ordered_json json;
    json["accessToken"] = accessToken;
    json["refreshToken"] = refreshToken;
    json["expiresIn"] = expiresIn;
    return json;
}

std::optional<TokenPair> TokenPair::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) return std::nullopt;
    auto access = json.find("accessToken");
    auto refresh = json.find("refreshToken");
    auto expires = json.find("expiresIn");
    if (access == json.end() || !access->is_string() || refresh == json.end() || !refresh->is_string() ||
        expires == json.end() || !expires->is_number_integer()) {
        return std::nullopt;
    }
    return TokenPair{access->get<std::string>(), refresh->get<std::string>(), expires->get<std::int64_t>()};
}

std::optional<TokenPair> InMemoryTokenStore::load() {
    std::lock_guard lock(mutex_);
    return tokens_;
}

void InMemoryTokenStore::save(const TokenPair& pair) {
    std::lock_guard lock(mutex_);
    tokens_ = pair;
}

bool InMemoryTokenStore::clear() {
    std::lock_guard lock(mutex_);
    tokens_.reset();
    return true;
}

std::optional<std::string> base64UrlDecode(std::string_view text) {
    while (!text.empty() && text.back() == '=')
        text.remove_suffix(1);
    std::string decoded;
    decoded.reserve(text.size() * 3 / 4);
    std::uint32_t buffer = 0;
    int bits = 0;
    for (char c : text) {
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '-')
            value = 62;
        else if (c == '_')
            value = 63;
        else
            return std::nullopt;
        buffer = (buffer << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            decoded.push_back(static_cast<char>((buffer >> bits) & 0xFF));
        }
    }
    if (bits >= 6) return std::nullopt;  // a single dangling character cannot come from whole bytes
    return decoded;
}

std::optional<nlohmann::json> accessTokenClaims(const std::string& accessToken) {
    std::size_t first = accessToken.find('.');
    if (first == std::string::npos) return std::nullopt;
    std::size_t second = accessToken.find('.', first + 1);
    if (second == std::string::npos || accessToken.find('.', second + 1) != std::string::npos)
        return std::nullopt;
    auto payload = base64UrlDecode(std::string_view(accessToken).substr(first + 1, second - first - 1));
    if (!payload) return std::nullopt;
    auto json = nlohmann::json::parse(*payload, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object()) return std::nullopt;
    return json;
}

std::optional<std::string> stringClaim(const std::string& accessToken, const char* name) {
    const auto claims = accessTokenClaims(accessToken);
    if (!claims) return std::nullopt;
    const auto found = claims->find(name);
    if (found == claims->end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

std::optional<std::string> deviceClaim(const std::string& accessToken) {
    return stringClaim(accessToken, "did");
}

}  // namespace zelvorin
