#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>

#include "sync/NetworkError.h"

namespace zelvorin {

// The one error of every call to the service that got an HTTP answer. Connection failures are a
// TransportError instead, so callers can tell "the service said no" from "no service".
class APIError : public std::runtime_error {
public:
    struct RateLimited {
        std::optional<std::int64_t> retryAfterSeconds;
        bool operator==(const RateLimited&) const = default;
    };
    struct HttpError {
        int status = 0;
        bool operator==(const HttpError&) const = default;
    };
    struct Conflict {
        std::string message;
        bool operator==(const Conflict&) const = default;
    };
    struct Unauthorized {
        bool operator==(const Unauthorized&) const = default;
    };
    struct Forbidden {
        bool operator==(const Forbidden&) const = default;
    };
    struct NotFound {
        bool operator==(const NotFound&) const = default;
    };
    struct InvalidResponse {
        bool operator==(const InvalidResponse&) const = default;
    };
    using Case =
        std::variant<RateLimited, HttpError, Conflict, Unauthorized, Forbidden, NotFound, InvalidResponse>;
    // The cases by name, in the order of Case.
    enum class Kind { rateLimited, httpError, conflict, unauthorized, forbidden, notFound, invalidResponse };
    static constexpr std::array allKinds{Kind::rateLimited,    Kind::httpError, Kind::conflict,
                                         Kind::unauthorized,   Kind::forbidden, Kind::notFound,
                                         Kind::invalidResponse};
    static_assert(allKinds.size() == std::variant_size_v<Case>);

    explicit APIError(Case value);

    const Case& value() const { return value_; }
    Kind kind() const { return static_cast<Kind>(value_.index()); }
    template <class C>
    bool is() const {
        return std::holds_alternative<C>(value_);
    }
    bool operator==(const APIError& other) const { return value_ == other.value_; }

    // The shared rule by which screens word these errors; `fallback` is the screen's own text.
    std::string userMessage(const std::string& fallback) const;

private:
    Case value_;
};

// A request that never got an HTTP answer.
class TransportError : public NetworkError {
public:
    enum class Kind {
        notConnected,    // refused, no route, DNS: the service cannot be reached at all
        connectionLost,  // the connection broke or timed out mid-exchange
        other,
    };
    static constexpr std::array allKinds{Kind::notConnected, Kind::connectionLost, Kind::other};
    TransportError(Kind kind, const std::string& description) : NetworkError(description), kind_(kind) {}
    Kind kind() const { return kind_; }
    // Both connection kinds make the sync engine report "offline".
    bool isOffline() const override { return kind_ != Kind::other; }

private:
    Kind kind_;
};

}  // namespace zelvorin
