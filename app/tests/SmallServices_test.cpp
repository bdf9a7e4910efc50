// The environment's small services on bad input: the update feed, the widget snapshot, the
// sign-in failure texts.
#include <gtest/gtest.h>

#include "api-client/APIError.h"
#include "api-client/HandoffAuthenticator.h"
#include "api-client/tests/LoopbackServer.h"
#include "app/AppUpdater.h"
#include "app/Appcast.h"
#include "app/LoginFailure.h"
#include "app/PushRegistration.h"
#include "app/WidgetSnapshot.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

constexpr const char* kFeed = R"xml(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel>
    <title>Zelvorin</title>
    <item>
      <title>Versie 1.2</title>
      <sparkle:version>1.2</sparkle:version>
      <enclosure url="https://downloads.zelvorin.nl/zelvorin-1.2.tar.gz" length="1" type="application/gzip"/>
    </item>
    <item>
      <title>Versie 1.10</title>
      <enclosure url="https://downloads.zelvorin.nl/zelvorin-1.10.tar.gz" sparkle:version="1.10"
                 sparkle:shortVersionString="1.10 (voorjaar)"/>
    </item>
    <item><title>Zonder versie</title></item>
  </channel>
</rss>)xml";

TEST(AppcastTest, TheNewestReleaseAfterOursIsFoundByNumbersNotText) {
    const std::vector<AppcastRelease> releases = parseAppcast(kFeed);
    ASSERT_EQ(releases.size(), 2u);
    EXPECT_EQ(releases[0].version, "1.2");
    EXPECT_EQ(releases[0].displayVersion, "1.2");
    const auto newest = newestReleaseAfter(releases, "1.0");
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->version, "1.10");
    EXPECT_EQ(newest->displayVersion, "1.10 (voorjaar)");
    EXPECT_EQ(newest->downloadURL, "https://downloads.zelvorin.nl/zelvorin-1.10.tar.gz");
    EXPECT_FALSE(newestReleaseAfter(releases, "1.10"));
    EXPECT_FALSE(newestReleaseAfter(releases, "2"));
    EXPECT_EQ(compareVersions("1.0", "1"), 0);
    EXPECT_LT(compareVersions("1.9.9", "1.10"), 0);
    EXPECT_GT(compareVersions("1.0.1", "1.0"), 0);
    EXPECT_LT(compareVersions("1.0-beta", "1.0-rc"), 0);
}

TEST(AppcastTest, AFeedThatIsNotXmlOrExpandsEntitiesIsRefused) {
    EXPECT_THROW(parseAppcast("dit is geen xml"), AppcastError);
    EXPECT_THROW(parseAppcast("<rss><channel><item>"), AppcastError);
    EXPECT_THROW(parseAppcast("<html><body>503</body></html>"), AppcastError);
    EXPECT_THROW(parseAppcast(std::string(2 << 20, ' ')), AppcastError);
    // A billion laughs: ten levels of ten references would be 10^10 copies if expanded.
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n<!ENTITY l0 \"ha\">\n";
    for (int level = 1; level <= 10; ++level) {
        bomb += "<!ENTITY l" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            bomb += "&l" + std::to_string(level - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "]>\n<rss><channel><item><title>&l10;</title><version>9</version></item></channel></rss>";
    EXPECT_THROW(parseAppcast(bomb), AppcastError);
}

TEST(AppcastIntegrationTest, TheUpdaterReadsTheConfiguredFeedAndSaysWhatIsWrongWithIt) {
    auto server = std::make_unique<testing::LoopbackServer>();
    std::string body = kFeed;
    int status = 200;
    server->server.Get("/appcast.xml", [&](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        response.set_content(body, "application/xml");
    });
    server->start();
    const std::string feed = server->baseURL() + "appcast.xml";
    auto session = std::make_shared<HttpSession>("Zelvorin-test");

    AppUpdater updater(feed, "1.0", session);
    EXPECT_TRUE(updater.canCheckForUpdates());
    const auto offer = updater.checkForUpdates();
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->version, "1.10");
    EXPECT_FALSE(AppUpdater(feed, "1.10", session).checkForUpdates());

    body = "{\"niet\": \"xml\"}";
    EXPECT_THROW(updater.checkForUpdates(), AppcastError);
    status = 404;
    EXPECT_THROW(updater.checkForUpdates(), AppcastError);
    EXPECT_FALSE(AppUpdater(std::nullopt, "1.0", session).canCheckForUpdates());
    EXPECT_THROW(AppUpdater(std::string(), "1.0", session).checkForUpdates(), AppcastError);
    server.reset();
    EXPECT_THROW(updater.checkForUpdates(), AppcastError);  // nobody listening
}

TEST(WidgetSnapshotIntegrationTest, ASnapshotRoundTripsAndAnythingElseReadsAsNone) {
    testing::TempDir root;
    const WidgetSnapshotWriter writer(root.path());
    EXPECT_FALSE(writer.read());  // absent
    const WidgetSnapshot snapshot{121000, 3, 60500, 1, "2026-03-16T10:00:00Z"};
    writer.write(snapshot);
    EXPECT_EQ(writer.read(), snapshot);
    EXPECT_EQ(std::filesystem::status(*writer.location()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    for (const char* text :
         {"geen json", "[1,2]", R"({"outstandingCents": "veel"})",
          R"({"outstandingCents":1,"outstandingCount":1,"overdueCents":1,"overdueCount":1})"}) {
        testing::writeFile(*writer.location(), text);
        EXPECT_FALSE(writer.read()) << text;
    }
    EXPECT_FALSE(WidgetSnapshotWriter({}).location());  // no container, no snapshot
}

TEST(LoginFailureTest, EveryKindOfSignInErrorHasItsReasonAndText) {
    auto failureOf = [](auto error) { return LoginFailure::from(std::make_exception_ptr(error)); };
    const LoginFailure network =
        failureOf(TransportError(TransportError::Kind::notConnected, "verbinding geweigerd"));
    EXPECT_EQ(network.reason, LoginFailure::Reason::network);
    EXPECT_EQ(network.message, "Geen verbinding. Controleer je internet en probeer het opnieuw.");
    EXPECT_EQ(network.technicalDetail, "verbinding geweigerd");
    EXPECT_EQ(failureOf(HandoffError(HandoffError::Kind::invalidCallback)).reason,
              LoginFailure::Reason::sessionExpired);
    for (auto kind : {HandoffError::Kind::onboarding, HandoffError::Kind::deviceMismatch,
                      HandoffError::Kind::cancelled, HandoffError::Kind::presentationFailed}) {
        const LoginFailure failure = failureOf(HandoffError(kind));
        EXPECT_EQ(failure.reason, LoginFailure::Reason::server);
        EXPECT_EQ(failure.message, "Inloggen is niet gelukt. Probeer het opnieuw.");
    }
    const LoginFailure expired = failureOf(APIError(APIError::Unauthorized{}));
    EXPECT_EQ(expired.reason, LoginFailure::Reason::sessionExpired);
    EXPECT_EQ(expired.message, "Je inlogsessie is verlopen. Probeer opnieuw in te loggen.");
    EXPECT_EQ(failureOf(APIError(APIError::HttpError{500})).reason, LoginFailure::Reason::server);
    EXPECT_EQ(failureOf(std::runtime_error("iets anders")).technicalDetail, "iets anders");
}

TEST(PushRegistrationIntegrationTest, TheTokenIsSentAsLowerCaseHexAndAFailedRegistrationSendsNothing) {
    const std::vector<std::uint8_t> bytes{0x00, 0x0f, 0xa0, 0xff, 0x7b};
    EXPECT_EQ(pushTokenHex(bytes), "000fa0ff7b");
    testing::LoopbackServer server;
    std::vector<std::string> bodies;
    server.server.Post("/api/sync/device/push-token",
                       [&](const httplib::Request& request, httplib::Response& response) {
                           bodies.push_back(request.body);
                           response.set_content("{}", "application/json");
                       });
    server.start();
    SyncAPIClient client(server.baseURL(), std::make_shared<InMemoryTokenStore>(), "apparaat-1");
    EXPECT_FALSE(registerPushToken(client, "apparaat-1", std::nullopt));
    EXPECT_TRUE(registerPushToken(client, "apparaat-1", bytes));
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(
        nlohmann::json::parse(bodies[0]),
        (nlohmann::json{{"deviceId", "apparaat-1"}, {"token", "000fa0ff7b"}, {"environment", "production"}}));
}

}  // namespace
}  // namespace zelvorin
