#include "app/SessionState.h"

namespace zelvorin {

std::string_view rawValue(SessionState state) {
    switch (state) {
        case SessionState::signedOut:
            return "signedOut";
        case SessionState::signedIn:
            return "signedIn";
        case SessionState::signingIn:
            return "signingIn";
        case SessionState::onboarding:
            return "onboarding";
    }
    return "signedOut";
}

}  // namespace zelvorin
