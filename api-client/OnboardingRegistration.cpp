#include "api-client/OnboardingRegistration.h"

namespace zelvorin {

nlohmann::ordered_json OnboardingRegistration::toJson() const {
    nlohmann::ordered_json body{
        {"name", companyName},      {"firstName", firstName}, {"lastName", lastName},
        {"kvkNumber", kvkNumber},   {"vatNumber", nullptr},   {"street", street},
        {"postcode", postcode},     {"city", city},           {"acceptedTerms", acceptedTerms},
        {"deviceName", deviceName}, {"platform", platform},   {"appVersion", appVersion}};
    if (!vatNumber.empty()) body["vatNumber"] = vatNumber;
    return body;
}

OnboardingOrgResponse registerOrganization(SyncAPIClient& client, const std::string& onboardingToken,
                                           const OnboardingRegistration& registration) {
    return AccountAPI(client).createOrganization(onboardingToken, registration.toJson());
}

}  // namespace zelvorin
