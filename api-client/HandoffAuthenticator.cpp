#include "api-client/HandoffAuthenticator.h"

#include "api-client/HandoffCallback.h"

namespace zelvorin {

namespace {

const char* describe(HandoffError::Kind kind) {
    switch (kind) {
        case HandoffError::Kind::onboarding:
            return "onboarding";
        case HandoffError::Kind::invalidCallback:
            return "invalidCallback";
        case HandoffError::Kind::deviceMismatch:
            return "deviceMismatch";
        case HandoffError::Kind::cancelled:
            return "cancelled";
        case HandoffError::Kind::presentationFailed:
            return "presentationFailed";
    }
    return "handoff";
}

}  // namespace

HandoffError::HandoffError(Kind kind, std::string callbackURL)
    : std::runtime_error(describe(kind)), kind_(kind), callbackURL_(std::move(callbackURL)) {}

HandoffAuthenticator::HandoffAuthenticator(Configuration configuration, SyncAPIClient client,
                                           std::shared_ptr<PendingHandoff> pending)
    : configuration_(std::move(configuration)), client_(std::move(client)), pending_(std::move(pending)) {
    if (!configuration_.baseURL.empty() && configuration_.baseURL.back() != '/')
        configuration_.baseURL += '/';
}

std::string HandoffAuthenticator::beginHandoff() {
    CodeVerifier verifier = CodeVerifier::generate();
    std::string url = configuration_.baseURL +
                      "native/handoff?device_id=" + percentEncodeQueryValue(configuration_.deviceId) +
                      "&platform=" + percentEncodeQueryValue(configuration_.platform) +
                      "&app_version=" + percentEncodeQueryValue(configuration_.appVersion);
    if (configuration_.deviceName)
        url += "&device_name=" + percentEncodeQueryValue(*configuration_.deviceName);
    url += "&code_challenge=" + verifier.challenge() + "&code_challenge_method=S256";
    pending_->begin(std::move(verifier));
    return url;
}

TokenPair HandoffAuthenticator::signIn(BrowserHandoff& browser) {
    return completeWithCallback(browser.present(beginHandoff()));
}

TokenPair HandoffAuthenticator::completeWithCallback(const std::string& callbackURL) {
    auto outcome = HandoffCallback::read(callbackURL, configuration_.deviceId);
    if (std::holds_alternative<HandoffCallback::Onboarding>(outcome)) {
        throw HandoffError(HandoffError::Kind::onboarding, callbackURL);
    }
    if (std::holds_alternative<HandoffCallback::InvalidCallback>(outcome)) {
        throw HandoffError(HandoffError::Kind::invalidCallback);
    }
    if (std::holds_alternative<HandoffCallback::DeviceMismatch>(outcome)) {
        throw HandoffError(HandoffError::Kind::deviceMismatch);
    }
    const std::optional<CodeVerifier> verifier = pending_->take();
    if (!verifier) throw HandoffError(HandoffError::Kind::invalidCallback);
    return client_.redeem(std::get<HandoffCallback::Code>(outcome).code, *verifier);
}

}  // namespace zelvorin
