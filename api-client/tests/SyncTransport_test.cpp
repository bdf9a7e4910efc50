#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "api-client/APIError.h"
#include "api-client/AccountAPI.h"
#include "api-client/SyncAPIClient.h"
#include "sync/SyncRateLimitedError.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"

namespace zelvorin {
namespace {

using testing::ServiceProcess;
using Json = nlohmann::json;

constexpr const char* kDevice = "apparaat-sync";
constexpr const char* kAdminEmail = "sanne@studiozelvorin.nl";  // member of both demo organisations

// The sync transport of the API client against the real service: what a device's engine sends and
// gets back.
class SyncTransportIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        store->save(testing::signInDevice(service, kDevice, std::string(kAdminEmail)));
        for (const OrgMembership& membership : AccountAPI(client).memberships()) {
            if (membership.isCurrent) organizationId = membership.organizationId;
        }
        ASSERT_FALSE(organizationId.empty());
    }

    JSONValue customer(const std::string& id, const std::string& name) const {
        return JSONValue::object({{"id", id},
                                  {"organizationId", organizationId},
                                  {"companyName", name},
                                  {"city", "Utrecht"},
                                  {"createdAt", "2026-03-16T09:00:00.000Z"},
                                  {"updatedAt", "2026-03-16T09:00:00.000Z"},
                                  {"revision", 0}});
    }

    PushChange change(SyncOperation operation, const std::string& id, JSONValue payload,
                      const std::string& key, std::optional<std::int64_t> base = std::nullopt) const {
        return {SyncEntityType::customer,   id, operation, 1, base, std::nullopt, std::move(payload),
                "2026-03-16T09:00:00.000Z", key};
    }

    Json serviceRecord(const std::string& type, const std::string& id) const {
        const Json records = Json::parse(
            service.get("/admin/records?org=" + organizationId + "&entityType=" + type).body)["records"];
        for (const Json& record : records) {
            if (record["id"] == id) return record;
        }
        return nullptr;
    }

    std::size_t serviceRecordCount() const {
        return Json::parse(service.get("/admin/records?org=" + organizationId).body)["records"].size();
    }

    void addFault(const Json& fault) const {
        ASSERT_EQ(service.post("/admin/faults", fault.dump()).status, 201);
    }

    // Pulls every page from `cursor` on and returns the changes and the last cursor.
    std::pair<std::vector<PullChange>, std::string> pullAll(std::optional<std::string> cursor, int limit) {
        std::vector<PullChange> changes;
        for (;;) {
            PullResponse page = client.pull(cursor, limit, {});
            EXPECT_LE(page.changes.size(), static_cast<std::size_t>(limit));
            changes.insert(changes.end(), page.changes.begin(), page.changes.end());
            cursor = page.nextCursor;
            if (!page.hasMore) return {changes, *cursor};
        }
    }

    ServiceProcess service{ServiceProcess::demo()};
    std::shared_ptr<InMemoryTokenStore> store = std::make_shared<InMemoryTokenStore>();
    SyncAPIClient client{service.baseUrl(), store, kDevice};
    std::string organizationId;
};

TEST_F(SyncTransportIntegrationTest, EveryPushedChangeLandsInOneListAndARetriedPushIsNotAppliedTwice) {
    JSONValue wrongType = customer("klant-fout", "Fout BV");
    wrongType.asObject()->set("companyName", 42);
    const PushRequest batch{
        kDevice,
        std::nullopt,
        {change(SyncOperation::create, "klant-nieuw", customer("klant-nieuw", "Nieuw BV"), "k1"),
         change(SyncOperation::create, "klant-fout", wrongType, "k2"),
         change(SyncOperation::update, "bestaat-niet", JSONValue::object({{"city", "Ede"}}), "k3")}};
    const PushResponse first = client.push(batch);
    ASSERT_EQ(first.accepted.size(), 1U);
    EXPECT_EQ(first.accepted[0], (PushAcceptedItem{SyncEntityType::customer, "klant-nieuw", 1}));
    ASSERT_EQ(first.errors.size(), 2U);
    EXPECT_EQ(first.errors[0].entityId, "klant-fout");
    EXPECT_NE(first.errors[0].error.find("companyName"), std::string::npos) << first.errors[0].error;
    EXPECT_EQ(first.errors[1].entityId, "bestaat-niet");
    EXPECT_TRUE(serviceRecord("customer", "klant-fout").is_null());

    // An update on the revision the device saw goes in; one on an older revision is a conflict.
    const PushResponse edits = client.push(
        {kDevice,
         std::nullopt,
         {change(SyncOperation::update, "klant-nieuw", JSONValue::object({{"city", "Zwolle"}}), "k4", 1),
          change(SyncOperation::update, "klant-nieuw", JSONValue::object({{"city", "Gouda"}}), "k5", 1)}});
    ASSERT_EQ(edits.accepted.size(), 1U);
    EXPECT_EQ(edits.accepted[0].serverRevision, 2);
    ASSERT_EQ(edits.conflicts.size(), 1U);
    EXPECT_EQ(edits.conflicts[0].serverRevision, 2);
    EXPECT_TRUE(edits.conflicts[0].message.has_value());
    const Json stored = serviceRecord("customer", "klant-nieuw");
    EXPECT_EQ(stored["payload"]["city"], "Zwolle");
    EXPECT_EQ(stored["payload"]["companyName"], "Nieuw BV");  // members not pushed are kept

    // The same batch again (its answer was lost, say) gets the first answers and changes nothing.
    EXPECT_EQ(client.push(batch), first);
    EXPECT_EQ(serviceRecord("customer", "klant-nieuw")["revision"], 2);

    const PushResponse removed =
        client.push({kDevice,
                     std::nullopt,
                     {change(SyncOperation::remove, "klant-nieuw", JSONValue::object(), "k6", 2)}});
    ASSERT_EQ(removed.accepted.size(), 1U);
    EXPECT_TRUE(serviceRecord("customer", "klant-nieuw")["deleted"].get<bool>());
}

TEST_F(SyncTransportIntegrationTest, PullsPageByPageFromTheStartAndThenOnlyWhatChangedSinceTheCursor) {
    const auto [all, cursor] = pullAll(std::nullopt, 37);
    EXPECT_EQ(all.size(), serviceRecordCount());
    std::set<std::string> ids;
    for (const PullChange& pulled : all)
        ids.insert(std::string(rawValue(pulled.entityType)) + "/" + pulled.entityId);
    EXPECT_EQ(ids.size(), all.size()) << "a record came twice";

    // A service-side change, then a restart: the cursor still holds and brings exactly that change.
    ASSERT_EQ(service
                  .post("/admin/records", Json{{"org", organizationId},
                                               {"entityType", "customer"},
                                               {"id", "klant-web"},
                                               {"payload", customer("klant-web", "Web BV").toJson()}}
                                              .dump())
                  .status,
              200);
    service.restart();
    client = SyncAPIClient(service.baseUrl(), store, kDevice);
    const PullResponse next = client.pull(cursor, 500, {});
    ASSERT_EQ(next.changes.size(), 1U);
    EXPECT_EQ(next.changes[0].entityId, "klant-web");
    EXPECT_EQ(next.changes[0].operation, SyncOperation::create);
    EXPECT_FALSE(next.hasMore);
    EXPECT_TRUE(client.pull(next.nextCursor, 500, {}).changes.empty());

    const std::array<SyncEntityType, 1> customersOnly{SyncEntityType::customer};
    const PullResponse filtered = client.pull(std::nullopt, 500, customersOnly);
    ASSERT_FALSE(filtered.changes.empty());
    for (const PullChange& pulled : filtered.changes)
        EXPECT_EQ(pulled.entityType, SyncEntityType::customer);
}

TEST_F(SyncTransportIntegrationTest, ACursorOfAnotherOrganisationFallsBackToAFullPullOnce) {
    const std::string cursor = client.pull(std::nullopt, 500, {}).nextCursor;
    AccountAPI account(client);
    std::string other;
    for (const OrgMembership& membership : account.memberships()) {
        if (!membership.isCurrent) other = membership.organizationId;
    }
    account.switchOrganization(other);
    ASSERT_EQ(service.post("/admin/requests/reset", "").status, 200);

    const PullResponse page = client.pull(cursor, 500, {});
    EXPECT_EQ(Json::parse(service.get("/admin/requests").body)["requests"]["/api/sync/pull"], 2);
    for (const PullChange& pulled : page.changes) {
        if (const JSONValue* org = pulled.payload.find("organizationId"); org && org->asString()) {
            EXPECT_EQ(*org->asString(), other);
        }
    }
    // Without a cursor a 403 is the service's last word.
    addFault({{"path", "/api/sync/pull"}, {"status", 403}});
    try {
        client.pull(std::nullopt, 500, {});
        FAIL() << "a 403 without a cursor was not passed on";
    } catch (const APIError& error) {
        EXPECT_TRUE(error.is<APIError::Forbidden>());
    }
}

TEST_F(SyncTransportIntegrationTest, FaultsReachTheEngineAsTheErrorsItTellsApart) {
    addFault({{"path", "/api/sync/pull"}, {"status", 429}, {"retryAfter", "7"}});
    addFault({{"path", "/api/sync/push"}, {"status", 429}});
    try {
        client.pull(std::nullopt, 10, {});
        FAIL() << "429 not thrown";
    } catch (const SyncRateLimitedError& error) {
        EXPECT_EQ(error.retryAfterSeconds(), 7);
    }
    try {
        client.push({kDevice, std::nullopt, {}});
        FAIL() << "429 not thrown";
    } catch (const SyncRateLimitedError& error) {
        EXPECT_EQ(error.retryAfterSeconds(), std::nullopt);
    }

    addFault({{"path", "/api/sync/pull"}, {"status", 500}});
    EXPECT_THROW(
        {
            try {
                client.pull(std::nullopt, 10, {});
            } catch (const APIError& error) {
                EXPECT_EQ(error, APIError(APIError::HttpError{500}));
                throw;
            }
        },
        APIError);

    addFault({{"path", "/api/sync/pull"}, {"drop", true}});
    try {
        client.pull(std::nullopt, 10, {});
        FAIL() << "a cut-off body was taken";
    } catch (const TransportError& error) {
        EXPECT_EQ(error.kind(), TransportError::Kind::connectionLost);
    }
    EXPECT_EQ(client.pull(std::nullopt, 10, {}).changes.size(), 10U);  // each fault was spent once
}

TEST_F(SyncTransportIntegrationTest, OversizedAndMalformedPushesAreRefusedAndNothingIsApplied) {
    const std::string bearer = store->load()->accessToken;
    const std::size_t before = serviceRecordCount();

    Json tooMany{{"deviceId", kDevice}, {"changes", Json::array()}};
    const Json one = Json::parse(toJson(change(SyncOperation::create, "x", customer("x", "X"), "k")).dump());
    for (int i = 0; i < 10001; ++i) {
        Json item = one;
        item["entityId"] = "bulk-" + std::to_string(i);
        item["payload"]["id"] = item["entityId"];
        item["idempotencyKey"] = "bulk-" + std::to_string(i);
        tooMany["changes"].push_back(std::move(item));
    }
    ServiceProcess::HttpAnswer answer = service.post("/api/sync/push", tooMany.dump(), bearer);
    EXPECT_EQ(answer.status, 413);
    EXPECT_TRUE(Json::parse(answer.body).contains("error"));

    answer = service.post("/api/sync/push", std::string(51 * 1024 * 1024, ' '), bearer);
    EXPECT_EQ(answer.status, 413);
    EXPECT_TRUE(Json::parse(answer.body).contains("error"));

    for (const char* body :
         {R"({"changes":[]})", R"({"deviceId":"apparaat-sync","changes":[{"entityType":"factuur"}]})",
          R"({"deviceId":"apparaat-sync","changes":{}})", "geen json"}) {
        answer = service.post("/api/sync/push", body, bearer);
        EXPECT_EQ(answer.status, 400) << body;
        EXPECT_TRUE(Json::parse(answer.body)["error"].is_string()) << body;
    }
    for (const char* query : {"?limit=0", "?limit=abc", "?cursor=onzin", "?entityTypes=customer,factuur"}) {
        EXPECT_EQ(service.getAuthorized(std::string("/api/sync/pull") + query, bearer).status, 400) << query;
    }
    EXPECT_EQ(serviceRecordCount(), before);
    EXPECT_EQ(client.pull(std::nullopt, 5, {}).changes.size(), 5U);  // and it keeps serving
}

}  // namespace
}  // namespace zelvorin
