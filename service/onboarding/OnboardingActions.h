#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "domain/TimePoint.h"
#include "service/auth/Authenticator.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// A new user's first steps; each action is one transaction.

// What the new account told about its company; each absent field stays empty in the settings.
struct OrganizationDetails {
    std::optional<std::string> kvkNumber, vatNumber, street, postcode, city;
};

struct CreatedOrganization {
    std::string organizationId;
    IssuedTokens tokens;
};
// Spends the onboarding token and creates the organisation named `name` with its user as owner,
// its settings (the name and `details`, which devices pull) and the device's first session in it,
// all in one transaction: a failure anywhere leaves neither
// the organisation nor the session, and the token still unspent for another try. Throws
// ServiceError(unauthorized) for an unknown, spent or expired token.
CreatedOrganization createOrganization(const ServiceDatabase& database, const Authenticator& authenticator,
                                       const std::string& onboardingToken, const std::string& name,
                                       const std::string& userAgent, const std::string& ip, TimePoint now,
                                       const OrganizationDetails& details = {});

// Records that the caller reached `step` (never going back) and returns the furthest step.
// Throws ServiceError(badRequest) for a negative step.
std::int64_t recordOnboardingStep(const ServiceDatabase& database, const Caller& caller, std::int64_t step);

// The organisation's first customer with its contact person, as two records devices pull.
// Returns the customer's id.
std::string createFirstCustomer(const ServiceDatabase& database, const Caller& caller,
                                const std::string& companyName, const std::string& contactPersonName,
                                const std::string& email, TimePoint now);

// A one-time address on the web application for `next` (a path starting with "/"), on `host`.
// Throws ServiceError(badRequest) for a `next` that is no path.
std::string webSessionUrl(const std::string& host, const std::string& next);

}  // namespace zelvorin::service
