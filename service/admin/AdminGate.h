#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zelvorin::service {

class RequestContext;

// The header that carries the operator's token to the admin routes (and to the hand-off's
// automatic sign-in). A browser never sends it by itself, so no web page can borrow it.
inline constexpr const char* kAdminTokenHeader = "X-Zelvorin-Admin-Token";

// The key to the admin routes: they exist only when the service was started with a token file,
// and answer only a request that presents that token. Without a token the service is what a
// user's machine runs (scripts/run): nothing in it lists or rewrites another organisation.
class AdminGate {
public:
    AdminGate() = default;
    explicit AdminGate(std::optional<std::string> token) : token_(std::move(token)) {}

    bool enabled() const { return token_.has_value(); }
    // True when the gate is enabled and the request carries its token (compared in constant time).
    bool admits(const RequestContext& context) const;
    // Throws ServiceError(unauthorized) unless admits(context).
    void check(const RequestContext& context) const;

private:
    std::optional<std::string> token_;
};

// The token in `file`, trailing white space removed. Throws std::runtime_error (Dutch) for a file
// that cannot be read or holds fewer than 16 characters: a guessable token is no gate.
std::string readAdminToken(const std::filesystem::path& file);

}  // namespace zelvorin::service
