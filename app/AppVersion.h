#pragma once

namespace zelvorin {

// The version this build reports to the service (user agent, hand-off, onboarding) and compares
// with the update feed.
inline constexpr const char* kAppVersion = "1.0";
inline constexpr const char* kPlatformName = "linux";

}  // namespace zelvorin
