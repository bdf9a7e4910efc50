#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "api-client/APIError.h"
#include "api-client/AccountAPI.h"
#include "api-client/CommandLineHandoff.h"
#include "api-client/HandoffAuthenticator.h"
#include "api-client/SyncAPIClient.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"

namespace zelvorin {
namespace {

using testing::ServiceProcess;

class AccountAPIIntegrationTest : public ::testing::Test {
protected:
    SyncAPIClient client(const std::string& deviceId) {
        return SyncAPIClient(service.baseUrl(), store, deviceId, session);
    }
    TokenPair signIn(const std::string& deviceId, const std::string& email = {}) {
        HandoffAuthenticator authenticator({service.baseUrl(), deviceId, "linux", "1.0", "Testapparaat"},
                                           client(deviceId));
        AutoBrowserHandoff browser(session, email);
        return authenticator.signIn(browser);
    }
    std::int64_t requestCount(const std::string& path) {
        const nlohmann::json counts = nlohmann::json::parse(service.get("/admin/requests").body)["requests"];
        return counts.value(path, std::int64_t{0});
    }

    ServiceProcess service{ServiceProcess::demo()};
    std::shared_ptr<HttpSession> session = std::make_shared<HttpSession>("Zelvorin-test/1.0");
    std::shared_ptr<InMemoryTokenStore> store = std::make_shared<InMemoryTokenStore>();
};

TEST_F(AccountAPIIntegrationTest, SignsInThroughTheHandoffAndSwitchesOrganisation) {
    const TokenPair pair = signIn("apparaat-a", "sanne@studiozelvorin.nl");
    EXPECT_EQ(store->load(), pair);
    EXPECT_EQ(deviceClaim(pair.accessToken), "apparaat-a");

    AccountAPI account(client("apparaat-a"));
    const std::vector<OrgMembership> organizations = account.memberships();
    ASSERT_EQ(organizations.size(), 2U);
    const OrgMembership& other = organizations[0].isCurrent ? organizations[1] : organizations[0];
    EXPECT_FALSE(other.isCurrent);

    const SwitchOrgResponse switched = account.switchOrganization(other.organizationId);
    EXPECT_TRUE(switched.requiresLocalWipe);
    EXPECT_EQ(store->load(), switched.tokens);
    for (const OrgMembership& organization : account.memberships()) {
        EXPECT_EQ(organization.isCurrent, organization.organizationId == other.organizationId);
    }
    const OrgSessionsResponse sessions = account.sessions();
    EXPECT_TRUE(sessions.isAdmin);
    ASSERT_EQ(sessions.sessions.size(), 1U);
    EXPECT_EQ(sessions.sessions[0].label, "Testapparaat");

    try {
        account.switchOrganization("bestaat-niet");
        FAIL() << "an unknown organisation was accepted";
    } catch (const APIError& error) {
        // Actions carry the service's own words.
        ASSERT_TRUE(error.is<APIError::Conflict>());
        EXPECT_EQ(std::get<APIError::Conflict>(error.value()).message, "Deze organisatie bestaat niet.");
    }
    EXPECT_EQ(store->load(), switched.tokens);
}

TEST_F(AccountAPIIntegrationTest, MembersMayNotListSessionsOrJoinOtherOrganisations) {
    signIn("apparaat-d", "daan@studiozelvorin.nl");
    AccountAPI account(client("apparaat-d"));
    EXPECT_THROW(
        {
            try {
                account.sessions();
            } catch (const APIError& error) {
                EXPECT_TRUE(error.is<APIError::Forbidden>());
                throw;
            }
        },
        APIError);
    const std::string demoOrganization = account.memberships().at(0).organizationId;
    std::string second;
    const nlohmann::json all = nlohmann::json::parse(service.get("/admin/organizations").body);
    for (const auto& organization : all["organizations"]) {
        if (organization["id"] != demoOrganization) second = organization["id"];
    }
    ASSERT_FALSE(second.empty());
    try {
        account.switchOrganization(second);
        FAIL() << "a non-member switched";
    } catch (const APIError& error) {
        ASSERT_TRUE(error.is<APIError::Conflict>());
        EXPECT_EQ(std::get<APIError::Conflict>(error.value()).message,
                  "Je bent geen lid (meer) van deze organisatie.");
    }
}

TEST_F(AccountAPIIntegrationTest, TwoConcurrent401sShareOneRefresh) {
    const TokenPair pair = signIn("apparaat-a");
    // A stale access token with a good refresh token: both requests get 401 first.
    store->save(TokenPair{pair.accessToken + "x", pair.refreshToken, pair.expiresIn});
    service.post("/admin/requests/reset", "");

    SyncAPIClient shared = client("apparaat-a");
    auto first = std::async(std::launch::async, [&] { return AccountAPI(shared).memberships().size(); });
    auto second = std::async(std::launch::async, [&] { return AccountAPI(shared).memberships().size(); });
    EXPECT_EQ(first.get(), 2U);
    EXPECT_EQ(second.get(), 2U);
    EXPECT_EQ(requestCount("/api/auth/native/refresh"), 1);
    EXPECT_NE(store->load()->refreshToken, pair.refreshToken);
}

TEST_F(AccountAPIIntegrationTest, ARefusedRefreshSignsTheDeviceOut) {
    const TokenPair pair = signIn("apparaat-a");
    AccountAPI account(client("apparaat-a"));
    // Revoking the device's only session: its access and refresh token both stop working.
    const OrgSessionsResponse sessions = account.sessions();
    ASSERT_EQ(sessions.sessions.size(), 1U);
    EXPECT_TRUE(account.revokeSession("device", sessions.sessions[0].id));
    try {
        account.memberships();
        FAIL() << "a revoked session was still answered";
    } catch (const APIError& error) {
        EXPECT_TRUE(error.is<APIError::Unauthorized>());
    }
    EXPECT_FALSE(store->load());
    EXPECT_EQ(pair.expiresIn, 900);
}

TEST_F(AccountAPIIntegrationTest, HandoffCallbacksThatAreNotASignInAreRefused) {
    HandoffAuthenticator authenticator({service.baseUrl(), "apparaat-a", "linux", "1.0", std::nullopt},
                                       client("apparaat-a"));
    const testing::HandoffRedirect other = testing::requestHandoff(service, "apparaat-b");
    for (const std::string& callback : {std::string("zelvorin://auth?code=&device_id=apparaat-a"),
                                        other.location, std::string("zelvorin://onboarding?token=abc")}) {
        EXPECT_THROW(authenticator.completeWithCallback(callback), HandoffError) << callback;
    }
    EXPECT_FALSE(store->load());
    // A code the service never issued comes back as the service's refusal.
    authenticator.beginHandoff();
    EXPECT_THROW(authenticator.completeWithCallback("zelvorin://auth?code=verzonnen&device_id=apparaat-a"),
                 APIError);
    EXPECT_FALSE(store->load());
}

TEST_F(AccountAPIIntegrationTest, OnlyTheProcessThatOpenedTheSignInRedeemsItsCallback) {
    const HandoffAuthenticator::Configuration configuration{service.baseUrl(), "apparaat-a", "linux", "1.0",
                                                            std::nullopt};
    HandoffAuthenticator app(configuration, client("apparaat-a"));
    const testing::HandoffRedirect redirect = testing::completeHandoffPage(service, app.beginHandoff());
    ASSERT_EQ(redirect.status, 302) << redirect.location;

    // The link handed to another program of the same device, even with a sign-in of its own open.
    HandoffAuthenticator other(configuration, client("apparaat-a"));
    other.beginHandoff();
    EXPECT_THROW(other.completeWithCallback(redirect.location), APIError);
    EXPECT_FALSE(store->load());

    // That try spent the code; the app signs in with a sign-in of its own.
    EXPECT_THROW(app.completeWithCallback(redirect.location), APIError);
    const testing::HandoffRedirect again = testing::completeHandoffPage(service, app.beginHandoff());
    const TokenPair pair = app.completeWithCallback(again.location);
    EXPECT_EQ(store->load(), pair);
    EXPECT_EQ(AccountAPI(client("apparaat-a")).memberships().size(), 2U);
}

TEST_F(AccountAPIIntegrationTest, ANewAddressIsOnboardedIntoItsOwnOrganisation) {
    AccountAPI account(client("apparaat-n"));
    account.requestMagicLink("nieuw@voorbeeld.nl", "zelvorin://auth");

    std::string callback;
    try {
        signIn("apparaat-n", "nieuw@voorbeeld.nl");
        FAIL() << "an account without organisation was signed in";
    } catch (const HandoffError& error) {
        ASSERT_EQ(error.kind(), HandoffError::Kind::onboarding);
        callback = error.callbackURL();
    }
    const std::string prefix = "zelvorin://onboarding?token=";
    ASSERT_EQ(callback.rfind(prefix, 0), 0U) << callback;
    const std::string token = callback.substr(prefix.size());

    EXPECT_THROW(account.createOrganization(token, nlohmann::ordered_json{{"sector", "bouw"}}), APIError);
    const OnboardingOrgResponse created =
        account.createOrganization(token, nlohmann::ordered_json{{"name", "Nieuw & Co"}, {"sector", "bouw"}});
    EXPECT_EQ(store->load(), created.tokens);
    EXPECT_THROW(account.createOrganization(token, nlohmann::ordered_json{{"name", "Nog een"}}), APIError);

    const std::vector<OrgMembership> organizations = account.memberships();
    ASSERT_EQ(organizations.size(), 1U);
    EXPECT_EQ(organizations[0].organizationId, created.organizationId);
    EXPECT_EQ(organizations[0].name, "Nieuw & Co");
    EXPECT_EQ(organizations[0].role, "owner");

    account.recordOnboardingStep(2);
    account.addFirstCustomer("Bakkerij Test", "Ans Test", "ans@bakkerijtest.nl");
    const nlohmann::json records = nlohmann::json::parse(
        service.get("/admin/records?org=" + created.organizationId + "&entityType=customer").body)["records"];
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0]["payload"]["companyName"], "Bakkerij Test");
    EXPECT_NE(account.webSessionURL("/org/settings/profiel").find("/org/settings/profiel?session="),
              std::string::npos);
}

}  // namespace
}  // namespace zelvorin
