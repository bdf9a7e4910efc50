#pragma once

#include <string>

#include "api-client/AccountAPI.h"

namespace zelvorin {

// What a new account tells the service about its company and its owner when the organisation is
// made, and about the device it is made from. Texts are sent as they are held here: the wizard
// normalises them (postcode "1234 AB", KvK and VAT numbers without spaces) before it fills this in.
struct OnboardingRegistration {
    std::string companyName;
    std::string firstName;
    std::string lastName;
    std::string kvkNumber;
    std::string vatNumber;  // empty when the company has none yet
    std::string street;     // street and house number
    std::string postcode;
    std::string city;
    bool acceptedTerms = false;
    std::string deviceName;
    std::string platform;
    std::string appVersion;

    // The body of the create-org call, keys in this order; "name" is the organisation's name.
    nlohmann::ordered_json toJson() const;
};

// Spends the onboarding token on a new organisation made from `registration` and saves the token
// pair of its first session in the client's token store.
OnboardingOrgResponse registerOrganization(SyncAPIClient& client, const std::string& onboardingToken,
                                           const OnboardingRegistration& registration);

}  // namespace zelvorin
