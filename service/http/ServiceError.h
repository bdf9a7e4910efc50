#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zelvorin::service {

// What went wrong, as the service tells its clients. A closed set: every kind has exactly one HTTP
// status and one Dutch fallback text in ErrorKinds.cpp, the only place that maps them.
enum class ErrorKind : std::uint8_t {
    badRequest,            // the request cannot be read: malformed JSON, a missing or mistyped field
    unauthorized,          // no, a bad, an expired or a revoked token or code
    forbidden,             // signed in, but not allowed: not a member, not an admin, another org's cursor
    notFound,              // no such path, record, file or account (in the caller's organisation)
    methodNotAllowed,      // the path exists, but not for this method
    conflict,              // the request contradicts what the service holds
    payloadTooLarge,       // a body, a push or a file over its limit
    unsupportedMediaType,  // an upload that is none of the accepted kinds of file
    unprocessable,    // readable but not acceptable: a payload that does not fit its entity, a bad period
    tooManyRequests,  // slow down
    storageFull,      // the disk under the service's database is full; nothing was written
    unavailable,      // the database stayed busy past its time-out; nothing was written
    internal,         // a fault of the service itself; the cause stays in the service
    // New kinds go above `internal`, which stays last: the table's test walks every kind up to it.
};
inline constexpr ErrorKind kLastErrorKind = ErrorKind::internal;

// The one error of the service. Its text is Dutch, because clients show it as it is (the app puts
// a 409's or 422's text in its conflict messages).
class ServiceError : public std::runtime_error {
public:
    ServiceError(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    // With the kind's own fallback text.
    explicit ServiceError(ErrorKind kind);

    ErrorKind kind() const { return kind_; }
    int httpStatus() const;

private:
    ErrorKind kind_;
};

}  // namespace zelvorin::service
