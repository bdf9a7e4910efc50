#include "service/onboarding/OnboardingActions.h"

#include <gtest/gtest.h>

#include "persistence/FaultPoint.h"
#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/store/Accounts.h"
#include "service/store/AuditLog.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "testing/ChildProcess.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

const TimePoint kNow{std::chrono::sys_days{std::chrono::year{2026} / std::chrono::March / 16}};
const DeviceDescription kDevice{"apparaat-a", "linux", "1.0", "Werkplek", "", ""};

std::int64_t rowsOf(const ServiceDatabase& database, const std::string& table) {
    return database.read([&](Connection& db) {
        Statement count = db.prepare("SELECT COUNT(*) FROM " + table);
        count.step();
        return count.int64(0);
    });
}

class OnboardingIntegrationTest : public ::testing::Test {
protected:
    // A user without organisation and the onboarding token the hand-off gave her device.
    void SetUp() override {
        const ServiceDatabase database(data);
        token = database.write([&](Connection& db) {
            accounts::addUser(db, {"user-1", "nieuw@example.nl", "Nieuw", "2026-03-16T08:00:00Z"});
            return authenticator(database).issueOnboardingToken(db, "user-1", kDevice, kNow);
        });
    }

    static Authenticator authenticator(const ServiceDatabase& database) {
        return Authenticator(database.signingSecret(), 900);
    }

    // Creates the organisation in a child process that is killed between the organisation and its
    // session; true when it died there.
    bool createAndDieBeforeTheSession() const {
        return testing::killedInChild([this] {
            armFaultPoint("onboarding.organizationCreated", 1);
            const ServiceDatabase database(data);
            createOrganization(database, authenticator(database), token, "Bakkerij Brood", "", "", kNow);
        });
    }

    testing::TempDir dir;
    std::filesystem::path data = dir / "data";
    std::string token;
};

TEST_F(OnboardingIntegrationTest, AnOrganisationAndItsFirstSessionAreCreatedTogetherOrNotAtAll) {
    ASSERT_TRUE(createAndDieBeforeTheSession());

    const ServiceDatabase database(data);
    for (const char* table : {"organization", "membership", "device_session", "refresh_token"})
        EXPECT_EQ(rowsOf(database, table), 0) << table;

    // The token was not spent by the lost attempt: the next one creates both.
    const CreatedOrganization created =
        createOrganization(database, authenticator(database), token, "Bakkerij Brood", "", "", kNow);
    database.read([&](Connection& db) {
        EXPECT_EQ(accounts::organization(db, created.organizationId)->name, "Bakkerij Brood");
        EXPECT_EQ(accounts::membership(db, created.organizationId, "user-1")->role, "owner");
        const std::optional<DeviceSession> session = signins::session(db, created.tokens.sessionId);
        ASSERT_TRUE(session);
        EXPECT_EQ(session->organizationId, created.organizationId);
        EXPECT_EQ(session->label, "Werkplek");
    });
    EXPECT_EQ(authenticator(database).verify(created.tokens.accessToken, kNow).organizationId,
              created.organizationId);

    try {
        createOrganization(database, authenticator(database), token, "Nog een", "", "", kNow);
        FAIL() << "an onboarding token is spent once";
    } catch (const ServiceError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::unauthorized);
    }
    EXPECT_EQ(rowsOf(database, "organization"), 1);
}

TEST_F(OnboardingIntegrationTest, TheFirstCustomerIsACustomerAndAContactDevicesCanPull) {
    const ServiceDatabase database(data);
    const CreatedOrganization created =
        createOrganization(database, authenticator(database), token, "Bakkerij Brood", "", "", kNow);
    const Caller caller{"user-1", created.organizationId, "apparaat-a", created.tokens.sessionId,
                        std::nullopt};
    const std::string customerId =
        createFirstCustomer(database, caller, "Klant B.V.", "Jan Klant", "jan@klant.nl", kNow);

    database.read([&](Connection& db) {
        const std::optional<StoredRecord> customer =
            records::find(db, created.organizationId, "customer", customerId);
        ASSERT_TRUE(customer);
        EXPECT_EQ(customer->payload["companyName"], "Klant B.V.");
        EXPECT_EQ(customer->payload["billingEmail"], "jan@klant.nl");
        const std::vector<StoredRecord> contacts =
            records::withMember(db, created.organizationId, "contact", "contactId", customerId);
        ASSERT_EQ(contacts.size(), 1u);
        EXPECT_EQ(contacts[0].payload["name"], "Jan Klant");
        // The organisation's settings, made with it, then the customer and its contact.
        const std::vector<PulledRecord> changes =
            records::changedAfter(db, created.organizationId, 0, 10, {});
        ASSERT_EQ(changes.size(), 3u);
        EXPECT_EQ(changes[0].entityType, "orgSettings");
        EXPECT_EQ(nlohmann::json::parse(changes[0].payloadText)["orgName"], "Bakkerij Brood");
        const std::vector<AuditEntry> audit = auditlog::newest(db, created.organizationId, 10);
        ASSERT_EQ(audit.size(), 3u);
        EXPECT_EQ(audit[0].source, "route");
        EXPECT_EQ(audit[0].userId, "user-1");
    });
    EXPECT_THROW(recordOnboardingStep(database, caller, -1), ServiceError);
    EXPECT_EQ(recordOnboardingStep(database, caller, 3), 3);
    EXPECT_EQ(recordOnboardingStep(database, caller, 2), 3);  // never back
}

}  // namespace
}  // namespace zelvorin::service
