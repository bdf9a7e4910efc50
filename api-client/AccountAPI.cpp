#include "api-client/AccountAPI.h"

#include "api-client/APIError.h"

namespace zelvorin {

namespace {

using Json = nlohmann::json;

[[noreturn]] void invalid() {
    throw APIError(APIError::InvalidResponse{});
}

const Json& member(const Json& body, const char* key) {
    if (!body.is_object()) invalid();
    const auto found = body.find(key);
    if (found == body.end()) invalid();
    return *found;
}

std::string text(const Json& body, const char* key) {
    const Json& value = member(body, key);
    if (!value.is_string()) invalid();
    return value.get<std::string>();
}

std::optional<std::string> optionalText(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || found->is_null()) return std::nullopt;
    if (!found->is_string()) invalid();
    return found->get<std::string>();
}

bool flag(const Json& body, const char* key) {
    const Json& value = member(body, key);
    if (!value.is_boolean()) invalid();
    return value.get<bool>();
}

TokenPair tokensIn(const Json& body) {
    const std::optional<TokenPair> pair = TokenPair::fromJson(body);
    if (!pair) invalid();
    return *pair;
}

}  // namespace

void AccountAPI::requestMagicLink(const std::string& email, const std::string& callbackURL) {
    nlohmann::ordered_json body{
        {"email", email}, {"callbackURL", callbackURL}, {"newUserCallbackURL", callbackURL}};
    client_.action("POST", "api/auth/sign-in/magic-link", body);
}

OnboardingOrgResponse AccountAPI::createOrganization(const std::string& onboardingToken,
                                                     const nlohmann::ordered_json& answers) {
    HttpRequest request;
    request.method = "POST";
    request.url = client_.url("api/native/onboarding/create-org");
    request.headers = {{"Content-Type", "application/json"}, {"Authorization", "Bearer " + onboardingToken}};
    request.body = answers.dump();
    const Json body = mapActionResponse(client_.sendUnauthenticated(request), true);
    OnboardingOrgResponse response{text(body, "organizationId"), tokensIn(body)};
    client_.tokenStore().save(response.tokens);
    return response;
}

void AccountAPI::recordOnboardingStep(std::int64_t step) {
    client_.action("POST", "api/native/onboarding/step", nlohmann::ordered_json{{"step", step}});
}

void AccountAPI::addFirstCustomer(const std::string& companyName, const std::string& contactPersonName,
                                  const std::string& email) {
    client_.action(
        "POST", "api/native/onboarding/first-customer",
        nlohmann::ordered_json{
            {"companyName", companyName}, {"contactPersonName", contactPersonName}, {"email", email}});
}

std::string AccountAPI::webSessionURL(const std::string& next) {
    const std::string url =
        text(client_.action("POST", "api/native/web-session", nlohmann::ordered_json{{"next", next}}), "url");
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos || scheme == 0 || scheme + 3 >= url.size()) invalid();
    return url;
}

std::vector<OrgMembership> AccountAPI::memberships() {
    const Json body = client_.fetch("api/native/v1/org/memberships");
    const Json& list = member(body, "organizations");
    if (!list.is_array()) invalid();
    std::vector<OrgMembership> memberships;
    for (const Json& entry : list) {
        memberships.push_back(OrgMembership{text(entry, "organizationId"), text(entry, "name"),
                                            text(entry, "role"), optionalText(entry, "logo"),
                                            flag(entry, "isCurrent")});
    }
    return memberships;
}

SwitchOrgResponse AccountAPI::switchOrganization(const std::string& organizationId) {
    const Json body = client_.action("POST", "api/auth/native/switch-org",
                                     nlohmann::ordered_json{{"organizationId", organizationId}});
    SwitchOrgResponse response{tokensIn(body), text(body, "organizationId"), flag(body, "requiresLocalWipe")};
    client_.tokenStore().save(response.tokens);
    return response;
}

OrgSessionsResponse AccountAPI::sessions() {
    const Json body = client_.fetch("api/native/v1/admin/sessions");
    OrgSessionsResponse response;
    response.isAdmin = flag(body, "isAdmin");
    const Json& list = member(body, "sessions");
    if (!list.is_array()) invalid();
    for (const Json& entry : list) {
        response.sessions.push_back(OrgSession{
            text(entry, "kind"), text(entry, "id"), text(entry, "userId"), text(entry, "userName"),
            text(entry, "userEmail"), optionalText(entry, "label"), optionalText(entry, "platform"),
            optionalText(entry, "appVersion"), optionalText(entry, "ip"), optionalText(entry, "userAgent"),
            text(entry, "lastSeenAt"), text(entry, "createdAt")});
    }
    return response;
}

bool AccountAPI::revokeSession(const std::string& kind, const std::string& id) {
    return flag(client_.action("POST", "api/native/v1/admin/sessions/revoke",
                               nlohmann::ordered_json{{"kind", kind}, {"id", id}}),
                "revoked");
}

void AccountAPI::revokeMemberSessions(const std::string& userId) {
    client_.action("POST", "api/native/v1/members/" + percentEncodeQueryValue(userId) + "/revoke-sessions",
                   nlohmann::ordered_json::object(), false);
}

void AccountAPI::revokeMemberSession(const std::string& userId, const std::string& sessionId) {
    client_.action("POST",
                   "api/native/v1/members/" + percentEncodeQueryValue(userId) + "/sessions/" +
                       percentEncodeQueryValue(sessionId) + "/revoke",
                   nlohmann::ordered_json::object(), false);
}

}  // namespace zelvorin
