#include "service/http/RequestContext.h"

#include <httplib.h>

#include "service/http/ServiceError.h"

namespace zelvorin::service {

const Caller& RequestContext::caller() const {
    if (!caller_) throw ServiceError(ErrorKind::internal);
    return *caller_;
}

const Membership& RequestContext::membership() const {
    const Caller& who = caller();
    if (!who.membership) throw ServiceError(ErrorKind::internal);
    return *who.membership;
}

const Json& RequestContext::body() const {
    if (!body_) throw ServiceError(ErrorKind::internal);
    return *body_;
}

const std::string& RequestContext::parameter(std::string_view name) const {
    for (const auto& [key, value] : parameters_) {
        if (key == name) return value;
    }
    throw ServiceError(ErrorKind::internal);
}

std::optional<std::string> RequestContext::query(const char* name) const {
    if (!request_.has_param(name)) return std::nullopt;
    return request_.get_param_value(name);
}

std::string RequestContext::header(const char* name) const {
    return request_.get_header_value(name);
}

std::string RequestContext::bearerToken() const {
    return bearerTokenOf(request_.get_header_value("Authorization"));
}

std::string bearerTokenOf(std::string_view authorization) {
    static constexpr std::string_view kBearer = "Bearer ";
    if (authorization.size() <= kBearer.size() || !authorization.starts_with(kBearer)) return {};
    return std::string(authorization.substr(kBearer.size()));
}

}  // namespace zelvorin::service
