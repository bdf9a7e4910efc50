#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"

namespace zelvorin {

struct OrgMembership {
    std::string organizationId;
    std::string name;
    std::string role;
    std::optional<std::string> logo;
    bool isCurrent = false;
};

struct SwitchOrgResponse {
    TokenPair tokens;
    std::string organizationId;
    bool requiresLocalWipe = false;
};

struct OnboardingOrgResponse {
    std::string organizationId;
    TokenPair tokens;
};

struct OrgSession {
    std::string kind;
    std::string id;
    std::string userId;
    std::string userName;
    std::string userEmail;
    std::optional<std::string> label, platform, appVersion, ip, userAgent;
    std::string lastSeenAt;
    std::string createdAt;
};

struct OrgSessionsResponse {
    bool isAdmin = false;
    std::vector<OrgSession> sessions;
};

// The account operations beside sync: sign-in by mail, onboarding, web session, organisations and
// device sessions. Every call goes through the client's transport rules (bearer, one refresh on
// 401); a body that does not have the expected shape is APIError::InvalidResponse. Operations
// that hand out a new token pair save it in the client's token store before returning.
class AccountAPI {
public:
    explicit AccountAPI(SyncAPIClient client) : client_(std::move(client)) {}

    void requestMagicLink(const std::string& email, const std::string& callbackURL);
    // `answers` are the onboarding answers as the caller collected them; sent as given.
    OnboardingOrgResponse createOrganization(const std::string& onboardingToken,
                                             const nlohmann::ordered_json& answers);
    void recordOnboardingStep(std::int64_t step);
    void addFirstCustomer(const std::string& companyName, const std::string& contactPersonName,
                          const std::string& email);
    std::string webSessionURL(const std::string& next);
    std::vector<OrgMembership> memberships();
    SwitchOrgResponse switchOrganization(const std::string& organizationId);
    OrgSessionsResponse sessions();
    bool revokeSession(const std::string& kind, const std::string& id);
    void revokeMemberSessions(const std::string& userId);
    void revokeMemberSession(const std::string& userId, const std::string& sessionId);

private:
    SyncAPIClient client_;
};

}  // namespace zelvorin
