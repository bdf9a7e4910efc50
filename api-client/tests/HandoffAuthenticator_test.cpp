#include "api-client/HandoffAuthenticator.h"
#include "api-client/tests/LoopbackServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
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
    RedeemService() {
        http_.server.Post(
            "/api/auth/native/redeem", [this](const httplib::Request& request, httplib::Response& response) {
                ++redeemCalls;
                auto body = nlohmann::json::parse(request.body);
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

TEST(HandoffAuthenticatorIntegrationTest, ACodeForThisDeviceIsRedeemedAndStored) {
    Fixture f;
    ScriptedBrowser browser("zelvorin://auth?code=c0de&device_id=dev-1");
    EXPECT_EQ(f.authenticator.signIn(browser), (TokenPair{"a", "r", 900}));
    EXPECT_EQ(browser.shownURL, f.service.baseURL() +
                                    "native/handoff?device_id=dev-1&platform=linux&app_version=0.1.0"
                                    "&device_name=werkplek%201");
    EXPECT_EQ(f.store->load(), (TokenPair{"a", "r", 900}));
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
