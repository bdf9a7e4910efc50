#include "app/cli/CliContext.h"

#include <cstdlib>
#include <ostream>

#include "app/cli/CliError.h"
#include "domain/Clock.h"
#include "domain/Timestamps.h"
#include "screens/InputError.h"

namespace zelvorin::cli {

namespace {

// ZELVORIN_NOW ("2026-03-16T10:00:00Z") stops the clock at that moment, so that scripted runs of
// dates, due dates and dashboard periods give the same output every day.
std::shared_ptr<const Clock> fixedClock() {
    const char* now = std::getenv("ZELVORIN_NOW");
    if (now == nullptr || *now == '\0') return nullptr;
    const std::optional<TimePoint> moment = parseTimestamp(now);
    if (!moment)
        throw InputError(InputError::Kind::invalidValue,
                         std::string("Ongeldige waarde voor ZELVORIN_NOW: '") + now +
                             "' (bijvoorbeeld 2026-03-16T10:00:00Z).");
    return std::make_shared<ManualClock>(*moment);
}

}  // namespace

AppEnvironment& CliContext::environment() {
    if (!environment_) {
        auto baseUrl = BaseUrl::fromBuildOrEnvironment();
        if (!baseUrl) {
            const char* typed = std::getenv("ZELVORIN_BASE_URL");
            throw CliError(CliError::Kind::invalidBaseUrl, typed ? typed : "");
        }
        AppEnvironment::Platform platform;
        platform.clock = fixedClock();
        environment_ = std::make_unique<AppEnvironment>(
            *baseUrl, AppPaths::fromEnvironment(), [this](const std::string& line) { err_ << line << '\n'; },
            std::move(platform));
    }
    return *environment_;
}

std::shared_ptr<TokenStore> CliContext::tokenStore() {
    return environment().sharedTokenStore();
}

std::shared_ptr<HttpSession> CliContext::httpSession() {
    return environment().httpSession();
}

SyncAPIClient CliContext::apiClient() {
    return environment().apiClient();
}

TokenPair CliContext::requireSignedIn() {
    if (!environment().resumeStoredSession()) throw CliError(CliError::Kind::notSignedIn, {});
    return *tokenStore()->load();
}

}  // namespace zelvorin::cli
