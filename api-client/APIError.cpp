#include "api-client/APIError.h"

namespace zelvorin {

namespace {

std::string describe(const APIError::Case& value) {
    struct {
        std::string operator()(const APIError::RateLimited& e) const {
            return e.retryAfterSeconds ? "rateLimited(" + std::to_string(*e.retryAfterSeconds) + " s)"
                                       : "rateLimited";
        }
        std::string operator()(const APIError::HttpError& e) const {
            return "httpError(" + std::to_string(e.status) + ")";
        }
        std::string operator()(const APIError::Conflict& e) const { return "conflict: " + e.message; }
        std::string operator()(const APIError::Unauthorized&) const { return "unauthorized"; }
        std::string operator()(const APIError::Forbidden&) const { return "forbidden"; }
        std::string operator()(const APIError::NotFound&) const { return "notFound"; }
        std::string operator()(const APIError::InvalidResponse&) const { return "invalidResponse"; }
    } visitor;
    return std::visit(visitor, value);
}

}  // namespace

APIError::APIError(Case value) : std::runtime_error(describe(value)), value_(std::move(value)) {}

std::string APIError::userMessage(const std::string& fallback) const {
    if (auto* conflict = std::get_if<Conflict>(&value_)) return conflict->message;
    if (is<RateLimited>()) return "Te veel verzoeken. Wacht even en probeer opnieuw.";
    if (is<Unauthorized>()) return "Je sessie is verlopen. Log opnieuw in.";
    return fallback;
}

}  // namespace zelvorin
