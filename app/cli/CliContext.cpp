#include "app/cli/CliContext.h"

#include <cstdlib>
#include <ostream>

#include "api-client/FileTokenStore.h"
#include "api-client/KeychainTokenStore.h"
#include "api-client/UserAgent.h"

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
        environment_ = std::make_unique<AppEnvironment>(
            *baseUrl, AppPaths::fromEnvironment(), [this](const std::string& line) { err_ << line << '\n'; },
            fixedClock());
    }
    return *environment_;
}

std::shared_ptr<TokenStore> CliContext::tokenStore() {
    if (!tokenStore_) {
        const char* dataDir = std::getenv("ZELVORIN_DATA_DIR");
        if (dataDir != nullptr && *dataDir != '\0') {
            tokenStore_ =
                std::make_shared<FileTokenStore>(environment().paths().applicationSupport / "tokens.json");
        } else {
            tokenStore_ = std::make_shared<KeychainTokenStore>(
                KeychainTokenStore::kDefaultService,
                [this](const std::string& line) { out_ << line << '\n'; });
        }
    }
    return tokenStore_;
}

std::shared_ptr<HttpSession> CliContext::httpSession() {
    if (!httpSession_) httpSession_ = std::make_shared<HttpSession>(userAgentString(kAppVersion));
    return httpSession_;
}

SyncAPIClient CliContext::apiClient() {
    return SyncAPIClient(environment().baseURL().text(), tokenStore(), environment().deviceId(),
                         httpSession());
}

TokenPair CliContext::requireSignedIn() {
    const std::optional<TokenPair> pair = tokenStore()->load();
    if (!pair) throw CliError(CliError::Kind::notSignedIn, {});
    return *pair;
}

}  // namespace zelvorin::cli
