#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace zelvorin {

struct TokenPair {
    std::string accessToken;
    std::string refreshToken;
    std::int64_t expiresIn = 0;  // seconds; stored, never acted on: expiry shows up as a 401

    bool operator==(const TokenPair&) const = default;

    nlohmann::ordered_json toJson() const;
    // Nothing when a member is missing or of another type.
    static std::optional<TokenPair> fromJson(const nlohmann::json& json);
};

// Where the token pair lives. Signed in means a pair is stored. Implementations serialise their
// three operations (they are actors: one caller at a time).
class TokenStore {
public:
    virtual ~TokenStore() = default;
    virtual std::optional<TokenPair> load() = 0;
    virtual void save(const TokenPair& pair) = 0;
    // True when nothing is stored afterwards (also when nothing was stored before).
    virtual bool clear() = 0;
    // Held around a token refresh, so that the processes of one device that share this store
    // refresh one at a time: the service ends a session whose spent refresh token comes back, so
    // two processes must never both present the same one. Nothing to hold by default.
    virtual std::shared_ptr<void> holdForRefresh() { return nullptr; }
};

class InMemoryTokenStore final : public TokenStore {
public:
    std::optional<TokenPair> load() override;
    void save(const TokenPair& pair) override;
    bool clear() override;

private:
    std::mutex mutex_;
    std::optional<TokenPair> tokens_;
};

// The device an access token was issued to: the "did" member of the token's middle part
// (base64url JSON). Nothing when the token does not have three parts or the part does not decode.
std::optional<std::string> deviceClaim(const std::string& accessToken);
// All claims of the token's middle part; nothing when it is not three parts with a base64url JSON
// object in the middle. Read without checking the signature: the service checks it.
std::optional<nlohmann::json> accessTokenClaims(const std::string& accessToken);
// One string claim ("did", "org", "sub"); nothing when absent, of another type or unreadable.
std::optional<std::string> stringClaim(const std::string& accessToken, const char* name);

// base64url without padding requirements ("=" may be present or not). Nothing on a bad character.
std::optional<std::string> base64UrlDecode(std::string_view text);

}  // namespace zelvorin
