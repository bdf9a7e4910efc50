#include "api-client/KeychainTokenStore.h"

#include <libsecret/secret.h>

#include <iostream>

#include "domain/UniqueHandle.h"

namespace zelvorin {

namespace {

const SecretSchema* tokenSchema() {
    // Matched by attributes only, so items written by another build of the app are found too.
    static const SecretSchema schema = {"nl.zelvorin.app.TokenPair",
                                        SECRET_SCHEMA_DONT_MATCH_NAME,
                                        {
                                            {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                            {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                        },
                                        0,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr};
    return &schema;
}

using ErrorOwner = UniqueHandle<GError*, g_error_free>;
// A looked-up password is wiped before it is freed.
using SecretText = UniqueHandle<gchar*, secret_password_free>;

}  // namespace

KeychainTokenStore::KeychainTokenStore(std::string service, Output output)
    : service_(std::move(service)), output_(std::move(output)) {
    if (!output_) output_ = [](const std::string& line) { std::cout << line << std::endl; };
}

std::optional<TokenPair> KeychainTokenStore::load() {
    std::lock_guard lock(mutex_);
    if (cached_) return cached_;
    ErrorOwner failure;
    SecretText stored(secret_password_lookup_sync(tokenSchema(), nullptr, failure.out(), "service",
                                                  service_.c_str(), "account", kAccount, nullptr));
    if (failure || !stored) return std::nullopt;
    auto json = nlohmann::json::parse(stored.get(), nullptr, /*allow_exceptions=*/false);
    cached_ = TokenPair::fromJson(json);
    return cached_;
}

void KeychainTokenStore::save(const TokenPair& pair) {
    std::lock_guard lock(mutex_);
    cached_ = pair;
    std::string data = pair.toJson().dump();
    ErrorOwner failure;
    // Storing replaces an item with the same attributes, so no separate delete is needed.
    gboolean stored = secret_password_store_sync(tokenSchema(), SECRET_COLLECTION_DEFAULT, "Zelvorin",
                                                 data.c_str(), nullptr, failure.out(), "service",
                                                 service_.c_str(), "account", kAccount, nullptr);
    if (!stored) {
        int status = failure ? failure.get()->code : -1;
        output_("[KeychainTokenStore] SecItemAdd mislukt (OSStatus " + std::to_string(status) +
                ") — token alleen in-memory bewaard voor deze sessie.");
    }
}

bool KeychainTokenStore::clear() {
    std::lock_guard lock(mutex_);
    cached_.reset();
    ErrorOwner failure;
    // FALSE without an error means there was nothing to remove: that counts as cleared.
    secret_password_clear_sync(tokenSchema(), nullptr, failure.out(), "service", service_.c_str(), "account",
                               kAccount, nullptr);
    return !failure;
}

}  // namespace zelvorin
