#include "api-client/HandoffAuthenticator.h"
#include "api-client/tests/LoopbackServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace zelvorin {
namespace {

// The browser is the platform edge: here it answers with a prepared callback URL.
class ScriptedBrowser : public BrowserHandoff {
public:
    explicit ScriptedBrowser(std::string callback) : callback_(std::move(callback)) {}
    std::string present(const std::string& url) override {
        shownURL = url;
        if (callback_.empty()) throw HandoffError(HandoffError::Kind::cancelled);
        return callback_;
    }
    std::string shownURL;

private:
    std::string callback_;
};

class RedeemService {
public:
    std::atomic<int> redeemCalls{0};
    std::string lastVerifier() {
        std::lock_guard lock(mutex_);
        return lastVerifier_;
    }
    RedeemService() {
        http_.server.Post(
            "/api/auth/native/redeem", [this](const httplib::Request& request, httplib::Response& response) {
                ++redeemCalls;
                auto body = nlohmann::json::parse(request.body);
                {
                    std::lock_guard lock(mutex_);
                    lastVerifier_ = body.value("codeVerifier", "");
                }
                if (body["code"] != "c0de" || body["deviceId"] != "dev-1") {
                    response.status = 401;
                    return;
                }
                response.set_content(R"({"accessToken":"a","refreshToken":"r","expiresIn":900})",
                                     "application/json");
            });
        http_.start();
    }
    std::string baseURL() const { return http_.baseURL(); }

private:
    std::mutex mutex_;
    std::string lastVerifier_;
    testing::LoopbackServer http_;
};

struct Fixture {
    RedeemService service;
    std::shared_ptr<InMemoryTokenStore> store = std::make_shared<InMemoryTokenStore>();
    HandoffAuthenticator authenticator{{service.baseURL(), "dev-1", "linux", "0.1.0", "werkplek 1"},
                                       SyncAPIClient(service.baseURL(), store, "dev-1")};

    HandoffError::Kind failureOf(const std::string& callback) {
        ScriptedBrowser browser(callback);
        try {
            authenticator.signIn(browser);
        } catch (const HandoffError& error) {
            return error.kind();
        }
        ADD_FAILURE() << "sign-in did not fail for " << callback;
        return HandoffError::Kind::presentationFailed;
    }
};

TEST(HandoffAuthenticatorIntegrationTest, ACodeForThisDeviceIsRedeemedWithTheVerifierOfItsPage) {
    Fixture f;
    ScriptedBrowser browser("zelvorin://auth?code=c0de&device_id=dev-1");
    EXPECT_EQ(f.authenticator.signIn(browser), (TokenPair{"a", "r", 900}));
    const std::string prefix = f.service.baseURL() +
                               "native/handoff?device_id=dev-1&platform=linux&app_version=0.1.0"
                               "&device_name=werkplek%201&code_challenge=";
    ASSERT_EQ(browser.shownURL.rfind(prefix, 0), 0U) << browser.shownURL;
    const std::string challenge = browser.shownURL.substr(prefix.size(), 43);
    EXPECT_EQ(browser.shownURL.substr(prefix.size() + 43), "&code_challenge_method=S256");
    EXPECT_EQ(f.store->load(), (TokenPair{"a", "r", 900}));

    // The page saw the challenge, the redeem the verifier: neither is the other.
    EXPECT_EQ(f.service.lastVerifier().size(), 43U);
    EXPECT_EQ(f.service.lastVerifier().find_first_not_of(
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
              std::string::npos);
    EXPECT_EQ(browser.shownURL.find(f.service.lastVerifier()), std::string::npos);
    const std::string firstVerifier = f.service.lastVerifier();

    // Each sign-in has its own pair; the callback of the first is worth nothing afterwards.
    ScriptedBrowser again("zelvorin://auth?code=c0de&device_id=dev-1");
    f.authenticator.signIn(again);
    EXPECT_NE(again.shownURL.substr(prefix.size(), 43), challenge);
    EXPECT_NE(f.service.lastVerifier(), firstVerifier);
    EXPECT_THROW(f.authenticator.completeWithCallback("zelvorin://auth?code=c0de&device_id=dev-1"),
                 HandoffError);
    EXPECT_EQ(f.service.redeemCalls.load(), 2);
}

TEST(HandoffAuthenticatorIntegrationTest, ACallbackOfASignInThisProcessDidNotOpenIsNotSent) {
    Fixture f;
    EXPECT_THROW(f.authenticator.completeWithCallback("zelvorin://auth?code=c0de&device_id=dev-1"),
                 HandoffError);
    // Another authenticator of the same process shares the waiting sign-in; one of another
    // process (its own slot) does not.
    auto pending = std::make_shared<PendingHandoff>();
    const HandoffAuthenticator::Configuration configuration{f.service.baseURL(), "dev-1", "linux", "0.1.0",
                                                            std::nullopt};
    HandoffAuthenticator opener(configuration, SyncAPIClient(f.service.baseURL(), f.store, "dev-1"), pending);
    HandoffAuthenticator elsewhere(configuration, SyncAPIClient(f.service.baseURL(), f.store, "dev-1"));
    opener.beginHandoff();
    EXPECT_THROW(elsewhere.completeWithCallback("zelvorin://auth?code=c0de&device_id=dev-1"), HandoffError);
    EXPECT_EQ(f.service.redeemCalls.load(), 0);
    HandoffAuthenticator later(configuration, SyncAPIClient(f.service.baseURL(), f.store, "dev-1"), pending);
    EXPECT_EQ(later.completeWithCallback("zelvorin://auth?code=c0de&device_id=dev-1"),
              (TokenPair{"a", "r", 900}));
}

TEST(HandoffAuthenticatorIntegrationTest, RefusedCallbacksNeverReachTheService) {
    Fixture f;
    EXPECT_EQ(f.failureOf("zelvorin://onboarding?token=t"), HandoffError::Kind::onboarding);
    EXPECT_EQ(f.failureOf("zelvorin://auth?code=c0de&device_id=dev-2"), HandoffError::Kind::deviceMismatch);
    EXPECT_EQ(f.failureOf("zelvorin://auth?code=&device_id=dev-1"), HandoffError::Kind::invalidCallback);
    EXPECT_EQ(f.failureOf(""), HandoffError::Kind::cancelled);
    EXPECT_EQ(f.service.redeemCalls.load(), 0);
    EXPECT_FALSE(f.store->load().has_value());
}

}  // namespace
}  // namespace zelvorin
