#pragma once

#include <array>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "api-client/HandoffVerifier.h"
#include "api-client/SyncAPIClient.h"

namespace zelvorin {

class HandoffError : public std::runtime_error {
public:
    enum class Kind { onboarding, invalidCallback, deviceMismatch, cancelled, presentationFailed };
    static constexpr std::array allKinds{Kind::onboarding, Kind::invalidCallback, Kind::deviceMismatch,
                                         Kind::cancelled, Kind::presentationFailed};
    HandoffError(Kind kind, std::string callbackURL = {});
    Kind kind() const { return kind_; }
    // For `onboarding`: the whole callback URL (it carries the onboarding token).
    const std::string& callbackURL() const { return callbackURL_; }

private:
    Kind kind_;
    std::string callbackURL_;
};

// Shows the hand-off page to the user and returns the "zelvorin:" URL the browser comes back with.
// The desktop opens the default browser and waits for the scheme handler; the CLI prints the URL
// (or, against the local service, follows its redirect). Throws HandoffError::cancelled when the
// user gives up, presentationFailed when no browser can be shown.
class BrowserHandoff {
public:
    virtual ~BrowserHandoff() = default;
    virtual std::string present(const std::string& handoffURL) = 0;
};

// Sign-in through the browser: the service's page signs the user in and sends the browser back
// with a one-time code for this device, which is redeemed for the token pair together with the
// verifier whose challenge opened the page (kept in `pending`, shared by the process).
class HandoffAuthenticator {
public:
    struct Configuration {
        std::string baseURL;
        std::string deviceId;
        std::string platform;
        std::string appVersion;
        std::optional<std::string> deviceName;
    };

    HandoffAuthenticator(Configuration configuration, SyncAPIClient client,
                         std::shared_ptr<PendingHandoff> pending = std::make_shared<PendingHandoff>());

    // Opens a sign-in: a new verifier waits in `pending` and the page's URL carries its challenge,
    // <base>native/handoff?device_id=…&platform=…&app_version=…[&device_name=…]
    //   &code_challenge=…&code_challenge_method=S256
    std::string beginHandoff();
    // The token pair, already saved by the client; or HandoffError, APIError, TransportError.
    TokenPair signIn(BrowserHandoff& browser);
    // The second half on its own, for a callback that arrives through the scheme handler. It
    // takes the waiting verifier; with none waiting (the sign-in was opened by another process, or
    // its callback was used already) the callback is `invalidCallback` and nothing is sent.
    TokenPair completeWithCallback(const std::string& callbackURL);

private:
    Configuration configuration_;
    SyncAPIClient client_;
    std::shared_ptr<PendingHandoff> pending_;
};

}  // namespace zelvorin
