#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "api-client/AccountAPI.h"
#include "api-client/FileTokenStore.h"
#include "api-client/tests/LoopbackServer.h"
#include "app/WidgetSnapshot.h"
#include "app/tests/EnvironmentFixture.h"
#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "persistence/sqlite/Statement.h"

namespace zelvorin {
namespace {

using testing::callbackFor;
using testing::Collected;
using testing::makeEnvironment;
using testing::ServiceProcess;
using testing::TempDir;

std::int64_t count(AppEnvironment& environment, const std::string& sql) {
    return environment.database().writer->read([&](Connection& c) {
        Statement s = c.prepare(sql);
        s.step();
        return s.int64(0);
    });
}

std::string storedDeviceId(const std::filesystem::path& root) {
    return nlohmann::json::parse(
        testing::readFile(root / "Zelvorin" / "defaults.json"))["nl.zelvorin.deviceId"];
}

// Two demo organisations; sanne is a member of both.
struct TwoOrganisations {
    std::string current;
    std::string other;
};

TwoOrganisations organisationsOf(AppEnvironment& environment) {
    TwoOrganisations result;
    for (const OrgMembership& membership : AccountAPI(environment.apiClient()).memberships())
        (membership.isCurrent ? result.current : result.other) = membership.organizationId;
    return result;
}

TEST(AppSessionIntegrationTest, ACallbackSignsInSyncsWritesTheWidgetAndALaterLaunchResumesIt) {
    ServiceProcess service(ServiceProcess::demo());
    TempDir root;
    {
        auto environment = makeEnvironment(root.path(), service.baseUrl());
        ASSERT_TRUE(environment->handleOpenURL(callbackFor(service, *environment)));
        EXPECT_EQ(environment->sessionState(), SessionState::signedIn);
        EXPECT_FALSE(environment->loginError());
        // The sign-in ran its first cycle: the organisation's records are here and the chip is green.
        EXPECT_GT(count(*environment, "SELECT COUNT(*) FROM draft_invoice"), 0);
        EXPECT_TRUE(std::holds_alternative<SyncDisplayStatus::Synced>(environment->syncStatus().value));
        EXPECT_TRUE(environment->lastSuccessfulSync());
        const auto snapshot = WidgetSnapshotWriter(environment->paths().groupContainer).read();
        ASSERT_TRUE(snapshot);
        const DashboardSummary summary = environment->repositories().dashboard.summary();
        EXPECT_EQ(snapshot->outstandingCount, summary.outstandingCount);
        EXPECT_EQ(snapshot->overdueCents, summary.overdueCents);
        environment->stop();
    }
    auto later = makeEnvironment(root.path(), service.baseUrl());
    EXPECT_EQ(later->sessionState(), SessionState::signedOut);  // until the session is restored
    EXPECT_TRUE(later->resumeStoredSession());
    EXPECT_EQ(later->sessionState(), SessionState::signedIn);
}

TEST(AppSessionIntegrationTest, SignOutLeavesNothingOfTheSessionAndANewDeviceId) {
    ServiceProcess service(ServiceProcess::demo());
    TempDir root;
    auto environment = makeEnvironment(root.path(), service.baseUrl());
    const std::string firstDevice = environment->deviceId();
    ASSERT_TRUE(environment->handleOpenURL(callbackFor(service, *environment)));
    environment->repositories().invoices.createDraft(std::nullopt, "2026-03-16");  // queued, never pushed
    testing::writeFile(environment->paths().groupContainer / "PendingUploads" / "bon.jpg", "jpeg");
    const std::vector<std::string> before = testing::filesUnder(root.path());

    environment->signOut();

    EXPECT_EQ(environment->sessionState(), SessionState::signedOut);
    EXPECT_EQ(environment->syncStatus(), SyncDisplayStatus{SyncDisplayStatus::Synced{}});
    EXPECT_NE(environment->deviceId(), firstDevice);
    EXPECT_EQ(storedDeviceId(root.path()), environment->deviceId());
    EXPECT_FALSE(environment->tokenStore().load());
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM draft_invoice"), 0);
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM outbox_change"), 0);
    EXPECT_EQ(environment->database().appliedMigrations().size(), 26u);
    // What is left is a fresh database and the defaults, nothing else of the session.
    EXPECT_EQ(testing::filesUnder(root.path()),
              (std::vector<std::string>{"Zelvorin", "Zelvorin/defaults.json", "Zelvorin/zelvorin.sqlite",
                                        "Zelvorin/zelvorin.sqlite-shm", "Zelvorin/zelvorin.sqlite-wal",
                                        "group.nl.zelvorin.app"}))
        << "before: " << nlohmann::json(before).dump();
}

TEST(AppSessionIntegrationTest, BadCallbacksAndLinksAreRefusedWithTheirTextsAndChangeNothing) {
    ServiceProcess service(ServiceProcess::demo());
    TempDir root;
    auto environment = makeEnvironment(root.path(), service.baseUrl());

    EXPECT_FALSE(environment->handleOpenURL("zelvorin://auth?code=&device_id=" + environment->deviceId()));
    ASSERT_TRUE(environment->loginError());
    EXPECT_EQ(environment->loginError()->reason, LoginFailure::Reason::sessionExpired);
    EXPECT_EQ(environment->loginError()->message,
              "De inlogcode is ongeldig of verlopen. Probeer opnieuw in te loggen.");
    EXPECT_EQ(environment->sessionState(), SessionState::signedOut);

    // A code issued to another device is not redeemed here.
    const std::string foreign = testing::requestHandoff(service, "other-device").location;
    EXPECT_FALSE(environment->handleOpenURL(foreign));
    EXPECT_EQ(environment->loginError()->reason, LoginFailure::Reason::server);
    EXPECT_FALSE(environment->tokenStore().load());
    // Nor is a code for this device from a sign-in this process did not open: a leaked link.
    const testing::HandoffRedirect leaked = testing::requestHandoff(service, environment->deviceId());
    EXPECT_FALSE(environment->handleOpenURL(leaked.location));
    EXPECT_EQ(environment->loginError()->message,
              "De inlogcode is ongeldig of verlopen. Probeer opnieuw in te loggen.");
    EXPECT_FALSE(environment->tokenStore().load());

    EXPECT_FALSE(environment->handleOpenURL("https://example.invalid/?code=abc"));
    EXPECT_FALSE(environment->handleOpenURL("zelvorin://onboarding?token="));
    EXPECT_EQ(environment->sessionState(), SessionState::signedOut);
    EXPECT_EQ(environment->loginError()->message,
              "Geen onboarding-sessie actief. Sluit af en maak opnieuw een account aan.");

    EXPECT_TRUE(environment->handleOpenURL("zelvorin://onboarding?token=ob-123"));
    EXPECT_EQ(environment->sessionState(), SessionState::onboarding);
    EXPECT_EQ(environment->onboardingToken(), "ob-123");

    // With the service gone, a valid-looking callback is a network failure.
    const std::string callback = callbackFor(service, *environment);
    service.stop();
    EXPECT_FALSE(environment->handleOpenURL(callback));
    EXPECT_EQ(environment->loginError()->reason, LoginFailure::Reason::network);
    EXPECT_EQ(environment->sessionState(), SessionState::signedOut);
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM outbox_change"), 0);
}

TEST(AppSessionIntegrationTest, AStoredPairThatIsUnreadableOrOfAnotherDeviceIsClearedAtLaunch) {
    ServiceProcess service(ServiceProcess::demo());
    TempDir root;
    FileTokenStore tokens(*AppPaths::under(root.path()).tokenFile);
    const std::vector<TokenPair> bad{
        {"kop.bm90LWpzb24.handtekening", "r", 900},  // middle part is base64url, but not JSON
        {"zonder-punten", "r", 900},
        testing::signInDevice(service, "een-ander-apparaat"),
    };
    for (const TokenPair& pair : bad) {
        tokens.save(pair);
        Collected diagnostics;
        auto environment = makeEnvironment(root.path(), service.baseUrl(), diagnostics);
        environment->restoreSession();
        EXPECT_EQ(environment->sessionState(), SessionState::signedOut) << pair.accessToken;
        EXPECT_FALSE(tokens.load()) << pair.accessToken;
        EXPECT_TRUE(diagnostics.mentions("meld opnieuw aan")) << pair.accessToken;
    }
}

TEST(AppSessionIntegrationTest, ARefusedSwitchKeepsEverythingAndASuccessfulOneHoldsOnlyTheNewOrganisation) {
    ServiceProcess service(ServiceProcess::demo());
    TempDir root;
    auto environment = makeEnvironment(root.path(), service.baseUrl());
    // Daan is a member of one organisation only; Sanne's second one is closed to him.
    ASSERT_TRUE(environment->handleOpenURL(callbackFor(service, *environment, "daan@studiozelvorin.nl")));
    const std::string daansOrganisation = organisationsOf(*environment).current;
    const TokenPair sanne = testing::signInDevice(service, "apparaat-van-sanne", "sanne@studiozelvorin.nl");
    std::string closed;
    const auto memberships = nlohmann::json::parse(
        service.getAuthorized("/api/native/v1/org/memberships", sanne.accessToken).body);
    for (const auto& organisation : memberships["organizations"]) {
        if (organisation["organizationId"] != daansOrganisation) closed = organisation["organizationId"];
    }
    ASSERT_FALSE(closed.empty());
    environment->repositories().invoices.createDraft(std::nullopt, "2026-03-16");
    const std::int64_t invoicesBefore = count(*environment, "SELECT COUNT(*) FROM draft_invoice");

    EXPECT_EQ(environment->switchOrganization(closed), AppEnvironment::SwitchOutcome::refused);
    EXPECT_EQ(environment->switchOrganization("bestaat-niet"), AppEnvironment::SwitchOutcome::refused);
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM draft_invoice"), invoicesBefore);
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM outbox_change"), 1);
    EXPECT_EQ(environment->sessionState(), SessionState::signedIn);

    environment->signOut();
    ASSERT_TRUE(environment->handleOpenURL(callbackFor(service, *environment, "sanne@studiozelvorin.nl")));
    const TwoOrganisations organisations = organisationsOf(*environment);
    const std::string queued =
        environment->repositories().invoices.createDraft(std::nullopt, "2026-03-16").id;
    const std::string generation = environment->orgSwitchGeneration();
    ASSERT_EQ(environment->switchOrganization(organisations.other), AppEnvironment::SwitchOutcome::switched);
    EXPECT_NE(environment->orgSwitchGeneration(), generation);
    EXPECT_GT(count(*environment, "SELECT COUNT(*) FROM customer"), 0);
    EXPECT_EQ(count(*environment,
                    "SELECT COUNT(*) FROM customer WHERE organization_id <> '" + organisations.other + "'"),
              0);
    // The full pull of the new organisation does not bring the draft queued before: it was never pushed
    // there.
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM draft_invoice WHERE id = '" + queued + "'"), 0);
    EXPECT_EQ(environment->syncStore().organization(), organisations.other);

    service.stop();
    EXPECT_EQ(environment->switchOrganization(organisations.current),
              AppEnvironment::SwitchOutcome::noConnection);
    EXPECT_EQ(environment->syncStore().organization(), organisations.other);
}

TEST(AppSessionIntegrationTest,
     TheEngineRefusesToPushIntoAnotherOrganisationAndTheNextLaunchKeepsTheDataAside) {
    ServiceProcess service(ServiceProcess::demo());
    TempDir root;
    auto environment = makeEnvironment(root.path(), service.baseUrl());
    ASSERT_TRUE(environment->handleOpenURL(callbackFor(service, *environment, "sanne@studiozelvorin.nl")));
    const TwoOrganisations organisations = organisationsOf(*environment);
    environment->repositories().invoices.createDraft(std::nullopt, "2026-03-16");
    // The service hands out the other organisation's pair, but the device never reset its data (a
    // switch cut short by a crash): the queued draft must not land in the other organisation.
    AccountAPI(environment->apiClient()).switchOrganization(organisations.other);

    environment->syncNow();
    const SyncDisplayStatus chip = environment->syncStatus();
    const auto* failed = std::get_if<SyncDisplayStatus::Failed>(&chip.value);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->message, kOrganizationMismatchMessage);
    EXPECT_EQ(count(*environment, "SELECT COUNT(*) FROM outbox_change"), 1);
    environment.reset();

    Collected diagnostics;
    auto next = makeEnvironment(root.path(), service.baseUrl(), diagnostics);
    ASSERT_TRUE(next->resumeStoredSession());
    EXPECT_TRUE(diagnostics.mentions("bewaard als")) << nlohmann::json(*diagnostics.lines).dump();
    EXPECT_EQ(count(*next, "SELECT COUNT(*) FROM outbox_change"), 0);
    next->syncNow();
    EXPECT_EQ(next->syncStore().organization(), organisations.other);
    EXPECT_EQ(
        count(*next, "SELECT COUNT(*) FROM customer WHERE organization_id <> '" + organisations.other + "'"),
        0);
}

TEST(AppSessionIntegrationTest, NewUnreadNotificationsAreAnnouncedOnceAndTheBadgeCountsEveryUnreadOne) {
    ServiceProcess service(ServiceProcess::demo());
    TempDir root;
    auto desktop = std::make_shared<testing::RecordingDesktop>();
    auto environment = makeEnvironment(root.path(), service.baseUrl(), {}, desktop);
    ASSERT_TRUE(environment->handleOpenURL(callbackFor(service, *environment)));
    auto insert = [&](const std::string& id, const std::string& link, bool read,
                      const std::string& createdAt) {
        environment->database().writer->write([&](Connection& c) {
            Statement s = c.prepare(
                "INSERT INTO app_notification (id, organization_id, kind, title, link, read_at, created_at) "
                "VALUES (?, 'o', 'invoice_paid', 'Factuur betaald', ?, ?, ?)");
            s.bind(1, id).bind(2, link).bind(4, createdAt);
            if (read) s.bind(3, createdAt);
            s.run();
        });
    };
    const std::string now = formatTimestampMillis(std::chrono::system_clock::now());
    auto waitFor = [&](auto condition) {
        for (int i = 0; i < 200; ++i) {
            {
                std::lock_guard lock(desktop->mutex);
                if (condition()) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    };
    const std::int64_t backlog =
        count(*environment, "SELECT COUNT(*) FROM app_notification WHERE read_at IS NULL");
    ASSERT_TRUE(waitFor([&] { return !desktop->badges.empty() && desktop->badges.back() == backlog; }));
    insert("n-new", "/invoices/inv-77", false, now);
    insert("n-read", "/invoices/inv-78", true, now);
    insert("n-old", "/invoices/inv-79", false, "2026-03-16T10:00:00.000Z");  // pulled late, made long ago
    ASSERT_TRUE(waitFor([&] { return desktop->badges.back() == backlog + 2; }));
    {
        std::lock_guard lock(desktop->mutex);
        ASSERT_EQ(desktop->shown.size(), 1u);  // neither the backlog nor what is old or read
        EXPECT_EQ(desktop->shown[0].id, "n-new");
        EXPECT_EQ(desktop->shown[0].link, "/invoices/inv-77");
    }
    environment->handleNotificationClick("/invoices/inv-77");
    EXPECT_EQ(environment->pendingInvoiceDeepLink(), "inv-77");
    environment->handleNotificationClick("/klanten/c-1");
    EXPECT_EQ(environment->pendingInvoiceDeepLink(), "inv-77");

    environment->stop();
    std::lock_guard lock(desktop->mutex);
    EXPECT_EQ(desktop->badges.back(), 0);
}

}  // namespace
}  // namespace zelvorin

namespace zelvorin {
namespace {

using testing::makeEnvironment;
using testing::TempDir;

// The avatar endpoint as the web service answers it: checks the parts, bumps the revision.
TEST(AvatarIntegrationTest,
     AnUploadedAvatarLandsInTheLocalRowWithTheServicesRevisionAndARefusalChangesNothing) {
    testing::LoopbackServer server;
    std::vector<std::string> seen;
    server.server.Post(
        "/api/native/v1/avatars", [&](const httplib::Request& request, httplib::Response& response) {
            const auto file = request.get_file_value("file");
            seen.push_back(request.get_file_value("entity").content + "/" +
                           request.get_file_value("entityId").content + "/" + file.filename + "/" +
                           file.content_type + "/" + file.content);
            if (file.content_type == "image/gif") {
                response.status = 415;
                response.set_content(R"({"error":"Alleen PNG, WebP of JPEG."})", "application/json");
                return;
            }
            response.set_content(R"({"avatarUrl":"/uploads/avatars/c-1.png","serverRevision":8})",
                                 "application/json");
        });
    server.start();
    TempDir root;
    auto environment = makeEnvironment(root.path(), server.baseURL());
    environment->database().writer->write([](Connection& c) {
        c.exec(
            "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at, revision) "
            "VALUES ('c-1', 'o', 'Bakkerij Zoet', 'x', 'x', 7)");
    });
    auto row = [&] {
        return environment->database().writer->read([](Connection& c) {
            Statement s = c.prepare(
                "SELECT COALESCE(avatar_url, '-') || ' ' || revision FROM customer WHERE id = 'c-1'");
            s.step();
            return s.text(0);
        });
    };

    environment->updateAvatar(AppEnvironment::AvatarOwner::customer, "c-1", "image/png", "PNGDATA");
    EXPECT_EQ(row(), "/uploads/avatars/c-1.png 8");
    try {
        environment->updateAvatar(AppEnvironment::AvatarOwner::customer, "c-1", "image/gif", "GIF89a");
        FAIL() << "a refused avatar was taken";
    } catch (const APIError& error) {
        EXPECT_EQ(error.userMessage("De avatar kon niet worden geüpload."), "Alleen PNG, WebP of JPEG.");
    }
    EXPECT_EQ(row(), "/uploads/avatars/c-1.png 8");
    EXPECT_THROW(
        environment->updateAvatar(AppEnvironment::AvatarOwner::contactPerson, "c-1", "image/png", "x"),
        std::invalid_argument);
    EXPECT_EQ(seen, (std::vector<std::string>{"customer/c-1/avatar.png/image/png/PNGDATA",
                                              "customer/c-1/avatar.jpg/image/gif/GIF89a"}));
}

}  // namespace
}  // namespace zelvorin
