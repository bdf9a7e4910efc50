#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"

namespace zelvorin::service {
namespace {

using testing::ServiceProcess;
using Json = nlohmann::json;

constexpr const char* kSanne =
    "sanne@studiozelvorin.nl";  // owner of the demo organisation, admin of the second
constexpr const char* kDaan = "daan@studiozelvorin.nl";  // member of the demo organisation only

Json bodyOf(const ServiceProcess::HttpAnswer& answer) {
    return Json::parse(answer.body);
}

void expectDutchError(const ServiceProcess::HttpAnswer& answer, int status) {
    EXPECT_EQ(answer.status, status) << answer.body;
    const Json body = Json::parse(answer.body, nullptr, false);
    ASSERT_TRUE(body.is_object()) << answer.body;
    ASSERT_TRUE(body.contains("error") && body["error"].is_string()) << answer.body;
    EXPECT_FALSE(body["error"].get<std::string>().empty());
}

Json memberships(const ServiceProcess& service, const std::string& accessToken) {
    const ServiceProcess::HttpAnswer answer =
        service.getAuthorized("/api/native/v1/org/memberships", accessToken);
    EXPECT_EQ(answer.status, 200) << answer.body;
    return bodyOf(answer);
}

std::string currentOrganization(const Json& memberships) {
    for (const Json& organization : memberships["organizations"]) {
        if (organization["isCurrent"].get<bool>()) return organization["organizationId"].get<std::string>();
    }
    return {};
}

class AuthIntegrationTest : public ::testing::Test {
protected:
    ServiceProcess service{ServiceProcess::demo()};
};

ServiceProcess::HttpAnswer redeem(const ServiceProcess& service, const std::string& deviceId,
                                  const testing::HandoffRedirect& redirect,
                                  const std::optional<std::string>& verifier) {
    Json body{{"deviceId", deviceId}, {"code", redirect.code}};
    if (verifier) body["codeVerifier"] = *verifier;
    return service.post("/api/auth/native/redeem", body.dump());
}

TEST_F(AuthIntegrationTest, HandoffCodeIsRedeemedOnceAndOnlyByItsDevice) {
    const testing::HandoffRedirect redirect =
        testing::requestHandoff(service, "apparaat-a", std::string(kSanne));
    ASSERT_EQ(redirect.status, 302);
    EXPECT_EQ(redirect.location.rfind("zelvorin://auth?code=", 0), 0U) << redirect.location;
    EXPECT_NE(redirect.location.find("&device_id=apparaat-a"), std::string::npos);
    ASSERT_FALSE(redirect.code.empty());

    expectDutchError(redeem(service, "apparaat-b", redirect, redirect.verifier), 401);
    // Refused for the other device, the code is spent: it is one-time whoever tries it.
    expectDutchError(redeem(service, "apparaat-a", redirect, redirect.verifier), 401);

    const TokenPair pair = testing::signInDevice(service, "apparaat-a", std::string(kSanne));
    EXPECT_EQ(pair.expiresIn, 900);
    EXPECT_EQ(deviceClaim(pair.accessToken), "apparaat-a");
    EXPECT_EQ(memberships(service, pair.accessToken)["organizations"].size(), 2U);
}

// Whoever reads a callback URL (a browser history, a program the link was handed to) has the code
// and the device id, but not the verifier that stayed in the app.
TEST_F(AuthIntegrationTest, ALeakedCallbackIsNotRedeemedWithoutItsVerifier) {
    const testing::HandoffRedirect withoutVerifier = testing::requestHandoff(service, "apparaat-a");
    expectDutchError(redeem(service, "apparaat-a", withoutVerifier, std::nullopt), 401);
    expectDutchError(redeem(service, "apparaat-a", withoutVerifier, ""), 401);

    const testing::HandoffRedirect wrongVerifier = testing::requestHandoff(service, "apparaat-a");
    const testing::HandoffRedirect other = testing::requestHandoff(service, "apparaat-a");
    expectDutchError(redeem(service, "apparaat-a", wrongVerifier, other.verifier), 401);
    EXPECT_EQ(wrongVerifier.location.find("code_challenge"), std::string::npos) << wrongVerifier.location;

    // A refused try spends the code: the leak cannot be raced against the app either.
    expectDutchError(redeem(service, "apparaat-a", withoutVerifier, withoutVerifier.verifier), 401);
    expectDutchError(redeem(service, "apparaat-a", wrongVerifier, wrongVerifier.verifier), 401);

    // The honest redeem signs in, once.
    const ServiceProcess::HttpAnswer honest = redeem(service, "apparaat-a", other, other.verifier);
    ASSERT_EQ(honest.status, 200) << honest.body;
    expectDutchError(redeem(service, "apparaat-a", other, other.verifier), 401);
    const std::string accessToken = bodyOf(honest)["accessToken"].get<std::string>();
    EXPECT_EQ(memberships(service, accessToken)["organizations"].size(), 2U);
}

TEST_F(AuthIntegrationTest, BadBodiesAndHandoffRequestsAreRefusedInDutch) {
    for (const std::string& body :
         {std::string("geen json"), std::string("[]"), std::string(R"({"code":"x"})"),
          std::string(R"({"deviceId":"a","code":7})"), std::string(R"({"deviceId":"","code":"x"})"),
          std::string(R"({"deviceId":"a","code":"x","codeVerifier":7})")}) {
        expectDutchError(service.post("/api/auth/native/redeem", body), 400);
    }
    expectDutchError(service.post("/api/auth/native/refresh", R"({"deviceId":"a"})"), 400);
    expectDutchError(
        service.post("/api/auth/native/refresh", R"({"deviceId":"a","refreshToken":"onbekend"})"), 401);

    const std::string challenge = "&code_challenge=E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM";
    const std::string device = "/native/handoff?device_id=a&platform=linux&app_version=1";
    expectDutchError(service.get("/native/handoff?platform=linux&app_version=1" + challenge +
                                 "&code_challenge_method=S256"),
                     400);
    // Without an S256 challenge no code is handed out, whoever asks.
    for (const std::string& query :
         {std::string(), challenge, challenge + "&code_challenge_method=plain",
          std::string("&code_challenge=kort&code_challenge_method=S256"),
          std::string(
              "&code_challenge=E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw.cM&code_challenge_method=S256")}) {
        expectDutchError(service.get(device + query), 400);
        EXPECT_EQ(testing::completeHandoffPage(service, device + query).status, 400) << query;
    }
    const std::string withChallenge = device + challenge + "&code_challenge_method=S256";
    expectDutchError(service.get(withChallenge + "&auto=1&email=x@y.nl"), 404);

    const ServiceProcess::HttpAnswer page = service.get(withChallenge);
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("Sanne de Boer"), std::string::npos);
    EXPECT_NE(page.body.find("Daan Visser"), std::string::npos);
    EXPECT_NE(page.body.find("device_id=a"), std::string::npos);
    // The account links carry the challenge on, so the choice gives a code bound to it.
    EXPECT_NE(page.body.find(challenge.substr(1) + "&amp;code_challenge_method=S256"), std::string::npos)
        << page.body;
}

TEST_F(AuthIntegrationTest, MissingTamperedAndForeignTokensAnswer401) {
    const TokenPair pair = testing::signInDevice(service, "apparaat-a");
    expectDutchError(service.get("/api/native/v1/org/memberships"), 401);
    expectDutchError(service.getAuthorized("/api/native/v1/org/memberships", "geen.geldig.token"), 401);
    std::string tampered = pair.accessToken;
    tampered[tampered.find('.') + 3] ^= 1;
    expectDutchError(service.getAuthorized("/api/native/v1/org/memberships", tampered), 401);
    // Access and refresh tokens are not interchangeable.
    expectDutchError(service.getAuthorized("/api/native/v1/org/memberships", pair.refreshToken), 401);
}

TEST_F(AuthIntegrationTest, RefreshRotatesAndTokensSurviveARestart) {
    const TokenPair first = testing::signInDevice(service, "apparaat-a");
    expectDutchError(
        service.post("/api/auth/native/refresh",
                     Json{{"deviceId", "apparaat-b"}, {"refreshToken", first.refreshToken}}.dump()),
        401);
    // A refresh token of another device is spent by the attempt as well.
    expectDutchError(
        service.post("/api/auth/native/refresh",
                     Json{{"deviceId", "apparaat-a"}, {"refreshToken", first.refreshToken}}.dump()),
        401);

    const TokenPair second = testing::signInDevice(service, "apparaat-a");
    const ServiceProcess::HttpAnswer refreshed =
        service.post("/api/auth/native/refresh",
                     Json{{"deviceId", "apparaat-a"}, {"refreshToken", second.refreshToken}}.dump());
    ASSERT_EQ(refreshed.status, 200) << refreshed.body;
    const std::optional<TokenPair> third = TokenPair::fromJson(bodyOf(refreshed));
    ASSERT_TRUE(third);
    EXPECT_NE(third->refreshToken, second.refreshToken);
    // A spent token presented again ends the session it belonged to, the new pair included.
    expectDutchError(
        service.post("/api/auth/native/refresh",
                     Json{{"deviceId", "apparaat-a"}, {"refreshToken", second.refreshToken}}.dump()),
        401);
    expectDutchError(service.getAuthorized("/api/native/v1/org/memberships", third->accessToken), 401);

    const TokenPair fourth = testing::signInDevice(service, "apparaat-a");
    service.restart();
    memberships(service, fourth.accessToken);
    EXPECT_EQ(service
                  .post("/api/auth/native/refresh",
                        Json{{"deviceId", "apparaat-a"}, {"refreshToken", fourth.refreshToken}}.dump())
                  .status,
              200);
}

TEST_F(AuthIntegrationTest, SwitchOrgMovesTheDeviceAndRefusesNonMembers) {
    const TokenPair sanne = testing::signInDevice(service, "apparaat-a", std::string(kSanne));
    const Json before = memberships(service, sanne.accessToken);
    const std::string current = currentOrganization(before);
    std::string other;
    for (const Json& organization : before["organizations"]) {
        if (organization["organizationId"] != current) other = organization["organizationId"];
    }
    ASSERT_FALSE(other.empty());

    expectDutchError(
        service.post("/api/auth/native/switch-org", R"({"organizationId":5})", sanne.accessToken), 400);
    const ServiceProcess::HttpAnswer switched = service.post(
        "/api/auth/native/switch-org", Json{{"organizationId", other}}.dump(), sanne.accessToken);
    ASSERT_EQ(switched.status, 200) << switched.body;
    const Json answer = bodyOf(switched);
    EXPECT_EQ(answer["organizationId"], other);
    EXPECT_TRUE(answer["requiresLocalWipe"].get<bool>());
    const std::string newAccess = answer["accessToken"];
    EXPECT_EQ(currentOrganization(memberships(service, newAccess)), other);
    // The old session made way for the new one.
    expectDutchError(service.getAuthorized("/api/native/v1/org/memberships", sanne.accessToken), 401);

    const ServiceProcess::HttpAnswer same =
        service.post("/api/auth/native/switch-org", Json{{"organizationId", other}}.dump(), newAccess);
    ASSERT_EQ(same.status, 200);
    EXPECT_FALSE(bodyOf(same)["requiresLocalWipe"].get<bool>());

    const TokenPair daan = testing::signInDevice(service, "apparaat-d", std::string(kDaan));
    expectDutchError(
        service.post("/api/auth/native/switch-org", Json{{"organizationId", other}}.dump(), daan.accessToken),
        403);
    expectDutchError(service.post("/api/auth/native/switch-org",
                                  Json{{"organizationId", "bestaat-niet"}}.dump(), daan.accessToken),
                     404);
    memberships(service, daan.accessToken);  // a refused switch leaves the session as it was
}

TEST_F(AuthIntegrationTest, AdminsSeeAndRevokeSessionsAndRevokedTokensStopWorking) {
    const TokenPair sanne = testing::signInDevice(service, "apparaat-s", std::string(kSanne));
    const TokenPair daan = testing::signInDevice(service, "apparaat-d", std::string(kDaan));
    // Daan must be in Sanne's current organisation for this case: the demo organisation.
    const std::string daanOrganization = currentOrganization(memberships(service, daan.accessToken));
    std::string sanneAccess = sanne.accessToken;
    if (currentOrganization(memberships(service, sanneAccess)) != daanOrganization) {
        const ServiceProcess::HttpAnswer switched = service.post(
            "/api/auth/native/switch-org", Json{{"organizationId", daanOrganization}}.dump(), sanneAccess);
        ASSERT_EQ(switched.status, 200);
        sanneAccess = bodyOf(switched)["accessToken"];
    }

    expectDutchError(service.getAuthorized("/api/native/v1/admin/sessions", daan.accessToken), 403);
    const ServiceProcess::HttpAnswer listed =
        service.getAuthorized("/api/native/v1/admin/sessions", sanneAccess);
    ASSERT_EQ(listed.status, 200) << listed.body;
    const Json sessions = bodyOf(listed);
    EXPECT_TRUE(sessions["isAdmin"].get<bool>());
    std::string daanSession;
    std::string daanUser;
    for (const Json& session : sessions["sessions"]) {
        if (session["userEmail"] != kDaan) continue;
        daanSession = session["id"];
        daanUser = session["userId"];
        EXPECT_EQ(session["label"], "Testapparaat");
        EXPECT_EQ(session["platform"], "linux");
        EXPECT_EQ(session["kind"], "device");
        EXPECT_FALSE(session["lastSeenAt"].get<std::string>().empty());
    }
    ASSERT_FALSE(daanSession.empty()) << listed.body;

    expectDutchError(
        service.post("/api/native/v1/admin/sessions/revoke", R"({"kind":"device"})", sanneAccess), 400);
    expectDutchError(
        service.post("/api/native/v1/members/" + daanUser + "/sessions/onbekend/revoke", "", sanneAccess),
        404);
    const ServiceProcess::HttpAnswer revoked =
        service.post("/api/native/v1/admin/sessions/revoke",
                     Json{{"kind", "device"}, {"id", daanSession}}.dump(), sanneAccess);
    ASSERT_EQ(revoked.status, 200) << revoked.body;
    EXPECT_TRUE(bodyOf(revoked)["revoked"].get<bool>());

    expectDutchError(service.getAuthorized("/api/native/v1/org/memberships", daan.accessToken), 401);
    expectDutchError(
        service.post("/api/auth/native/refresh",
                     Json{{"deviceId", "apparaat-d"}, {"refreshToken", daan.refreshToken}}.dump()),
        401);

    // All of a member's sessions at once.
    const TokenPair daanAgain = testing::signInDevice(service, "apparaat-d2", std::string(kDaan));
    EXPECT_EQ(service.post("/api/native/v1/members/" + daanUser + "/revoke-sessions", "", sanneAccess).status,
              200);
    expectDutchError(service.getAuthorized("/api/native/v1/org/memberships", daanAgain.accessToken), 401);
    memberships(service, sanneAccess);
}

TEST_F(AuthIntegrationTest, RequestLogCountsPathsUntilReset) {
    service.post("/admin/requests/reset", "");
    testing::signInDevice(service, "apparaat-a");
    service.post("/api/auth/native/refresh", R"({"deviceId":"a","refreshToken":"x"})");
    const Json counts = bodyOf(service.get("/admin/requests"))["requests"];
    EXPECT_EQ(counts["/native/handoff"], 1);
    EXPECT_EQ(counts["/api/auth/native/redeem"], 1);
    EXPECT_EQ(counts["/api/auth/native/refresh"], 1);
    EXPECT_FALSE(counts.contains("/admin/requests"));
    service.post("/admin/requests/reset", "");
    EXPECT_TRUE(bodyOf(service.get("/admin/requests"))["requests"].empty());
}

TEST(AuthExpiryIntegrationTest, ExpiredAccessTokenAnswers401ButRefreshes) {
    ServiceProcess::Options options = ServiceProcess::demo();
    options.accessTokenLifetime = 0;  // every token is expired the moment it is issued
    ServiceProcess service(options);
    const TokenPair pair = testing::signInDevice(service, "apparaat-a");
    EXPECT_EQ(pair.expiresIn, 0);
    expectDutchError(service.getAuthorized("/api/native/v1/org/memberships", pair.accessToken), 401);
    EXPECT_EQ(service
                  .post("/api/auth/native/refresh",
                        Json{{"deviceId", "apparaat-a"}, {"refreshToken", pair.refreshToken}}.dump())
                  .status,
              200);
}

}  // namespace
}  // namespace zelvorin::service
