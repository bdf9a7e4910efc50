#include "app/OnboardingMessages.h"

#include "api-client/APIError.h"

namespace zelvorin {

std::string onboardingFailureMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const NetworkError&) {
        return "Geen verbinding. Controleer je internet en probeer het opnieuw.";
    } catch (const APIError& api) {
        if (api.is<APIError::Unauthorized>())
            return "Je onboarding-sessie is verlopen. Sluit af en maak opnieuw een account aan.";
        if (api.is<APIError::RateLimited>()) return "Te veel pogingen. Wacht even en probeer het opnieuw.";
    } catch (...) {
    }
    return "Aanmaken is niet gelukt. Probeer het opnieuw.";
}

}  // namespace zelvorin
