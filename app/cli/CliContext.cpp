#include "app/cli/CliContext.h"

#include <cstdlib>
#include <ostream>

#include "api-client/FileTokenStore.h"
#include "api-client/KeychainTokenStore.h"
#include "api-client/UserAgent.h"

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
    if (!pair)
        throw CliError(CliError::Kind::configuration,
                       "Niet aangemeld. Meld je aan met 'zelvorin-cli login'.");
    return *pair;
}

}  // namespace zelvorin::cli
