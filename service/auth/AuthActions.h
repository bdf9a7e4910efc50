#pragma once

#include <optional>
#include <string>
#include <vector>

#include "domain/TimePoint.h"
#include "service/auth/Authenticator.h"
#include "service/http/RequestContext.h"
#include "service/store/Accounts.h"

namespace zelvorin::service {

class ServiceDatabase;

// Signing in and moving between organisations; each action is one transaction.

// The development hand-off: which account signs in (chosen on the page by id, or automatically:
// the one with `email`, else the first), and what the browser is sent back with.
struct HandoffChoice {
    std::optional<std::string> userId;
    bool automatic = false;
    std::optional<std::string> email;
};
struct HandoffOutcome {
    enum class Kind { chooseAccount, signIn, onboarding };
    Kind kind = Kind::chooseAccount;
    std::vector<UserAccount> accounts;  // to choose from
    std::string code;                   // the hand-off code, or the onboarding token
};
// A code is bound to `codeChallenge` (checked by the caller to be an S256 challenge). Throws
// ServiceError(notFound) for an account that does not exist.
HandoffOutcome handoff(const ServiceDatabase& database, const Authenticator& authenticator,
                       const DeviceDescription& device, const HandoffChoice& choice,
                       const std::string& codeChallenge, TimePoint now);

// A refused code is spent all the same (see Authenticator::redeem for what refuses it).
IssuedTokens redeemCode(const ServiceDatabase& database, const Authenticator& authenticator,
                        const std::string& code, const std::string& codeVerifier,
                        const DeviceDescription& device, TimePoint now);
IssuedTokens refreshTokens(const ServiceDatabase& database, const Authenticator& authenticator,
                           const std::string& refreshToken, const std::string& deviceId, TimePoint now);

// The local service sends no mail: an address it does not know becomes an account straight away
// and signs in through the hand-off page like the others. Throws ServiceError(badRequest) for text
// that is no e-mail address.
void requestMagicLink(const ServiceDatabase& database, const std::string& email, TimePoint now);

struct OrganizationChoice {
    Organization organization;
    std::string role;
    bool isCurrent = false;
};
std::vector<OrganizationChoice> organizationsOf(const ServiceDatabase& database, const Caller& caller);

struct SwitchedOrganization {
    IssuedTokens tokens;
    std::string organizationId;
    bool requiresLocalWipe = false;  // the device held another organisation's records
};
// A session of the same device in `organizationId`; the caller's session gives way to it.
// Throws ServiceError notFound for an unknown organisation, forbidden for a non-member.
SwitchedOrganization switchOrganization(const ServiceDatabase& database, const Authenticator& authenticator,
                                        const Caller& caller, const std::string& organizationId,
                                        const std::string& userAgent, const std::string& ip, TimePoint now);

}  // namespace zelvorin::service
