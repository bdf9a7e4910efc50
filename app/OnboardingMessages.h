#pragma once

#include <exception>
#include <string>

namespace zelvorin {

inline constexpr const char* kNoOnboardingSession =
    "Geen onboarding-sessie actief. Sluit af en maak opnieuw een account aan.";

// The Dutch text the onboarding wizard shows for an error of the account creation.
std::string onboardingFailureMessage(const std::exception_ptr& error);

}  // namespace zelvorin
