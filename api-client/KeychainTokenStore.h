#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "api-client/TokenStore.h"

namespace zelvorin {

// The token pair in the desktop's Secret Service (GNOME Keyring, KWallet), as one item addressed
// by the attributes service and account. The pair is cached after the first load or save.
// Without a session bus or an unlocked keyring saving prints a line and keeps the pair in memory
// for this process only; loading then finds nothing, so the next start is signed out.
class KeychainTokenStore final : public TokenStore {
public:
    static constexpr const char* kDefaultService = "nl.zelvorin.app.tokens";
    static constexpr const char* kAccount = "native-token-pair";

    using Output = std::function<void(const std::string&)>;
    explicit KeychainTokenStore(std::string service = kDefaultService, Output output = nullptr);

    std::optional<TokenPair> load() override;
    void save(const TokenPair& pair) override;
    bool clear() override;

private:
    std::string service_;
    Output output_;
    std::mutex mutex_;
    std::optional<TokenPair> cached_;
};

}  // namespace zelvorin
