#include "app/cli/CliContext.h"

#include <ostream>

#include "app/cli/CliError.h"

namespace zelvorin::cli {

AppEnvironment& CliContext::environment() {
    if (!environment_) {
        auto baseUrl = BaseUrl::fromBuildOrEnvironment();
        if (!baseUrl)
            throw CliError(CliError::Kind::configuration,
                           "Het adres van de dienst (ZELVORIN_BASE_URL) is ongeldig.");
        environment_ = std::make_unique<AppEnvironment>(
            *baseUrl, AppPaths::fromEnvironment(), [this](const std::string& line) { err_ << line << '\n'; });
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
    if (!environment().resumeStoredSession())
        throw CliError(CliError::Kind::configuration,
                       "Niet aangemeld. Meld je aan met 'zelvorin-cli login'.");
    return *tokenStore()->load();
}

}  // namespace zelvorin::cli
