#pragma once

#include <optional>
#include <string_view>

namespace zelvorin {

// signedOut -> signingIn (callback received) -> signedIn | signedOut (failure)
// signedOut -> onboarding (onboarding URL) -> signedIn (onboarding completed)
// signedIn -> signedOut (sign-out, or a stored session bound to another device)
enum class SessionState { signedOut, signedIn, signingIn, onboarding };

std::string_view rawValue(SessionState state);

}  // namespace zelvorin
