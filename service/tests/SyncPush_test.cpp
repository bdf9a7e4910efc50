#include "service/sync/SyncPush.h"

#include <gtest/gtest.h>

#include "persistence/sqlite/Connection.h"
#include "service/store/Accounts.h"
#include "service/store/AuditLog.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

const TimePoint kNow{std::chrono::sys_days{std::chrono::year{2026} / std::chrono::March / 16}};
const Caller kCaller{"user-1", "org-1", "apparaat-a", "session-1", std::nullopt};

PushChange change(SyncEntityType type, const std::string& id, SyncOperation operation, Json payload,
                  std::optional<std::int64_t> base = std::nullopt) {
    PushChange pushed;
    pushed.entityType = type;
    pushed.entityId = id;
    pushed.operation = operation;
    pushed.baseServerRevision = base;
    pushed.payload = JSONValue::fromJson(payload);
    pushed.clientTimestamp = "2026-03-16T09:00:00.000Z";
    pushed.idempotencyKey =
        "key-" + id + "-" + std::string(rawValue(operation)) + std::to_string(base.value_or(0));
    return pushed;
}

class SyncPushIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        database.write([](Connection& db) {
            accounts::addOrganization(db, {"org-1", "Eerste", "2026-01-01T00:00:00Z"});
        });
    }

    Json push(std::vector<PushChange> changes) {
        return applyPush(database, kCaller, PushRequest{"apparaat-a", std::nullopt, std::move(changes)},
                         kNow);
    }
    std::optional<StoredRecord> find(const std::string& type, const std::string& id) {
        return database.read([&](Connection& db) { return records::find(db, "org-1", type, id); });
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
};

TEST_F(SyncPushIntegrationTest, EveryChangeLandsInOneListAndARetryGetsTheSameAnswerUnapplied) {
    const std::vector<PushChange> batch{
        change(SyncEntityType::customer, "c1", SyncOperation::create, {{"companyName", "Alfa"}}),
        change(SyncEntityType::customer, "c2", SyncOperation::create,
               {{"city", "Utrecht"}}),  // no companyName
        change(SyncEntityType::customer, "c1", SyncOperation::update, {{"city", "Zwolle"}}, 7),
        change(SyncEntityType::customer, "c9", SyncOperation::update, {{"city", "Zwolle"}}, 1),
    };
    const Json answer = push(batch);
    ASSERT_EQ(answer["accepted"].size(), 1u);
    EXPECT_EQ(answer["accepted"][0]["entityId"], "c1");
    EXPECT_EQ(answer["accepted"][0]["serverRevision"], 1);
    ASSERT_EQ(answer["conflicts"].size(), 1u);
    EXPECT_EQ(answer["conflicts"][0]["serverRevision"], 1);
    ASSERT_EQ(answer["errors"].size(), 2u);
    EXPECT_NE(answer["errors"][0]["error"].get<std::string>().find("companyName"), std::string::npos);
    EXPECT_EQ(answer["errors"][1]["entityId"], "c9");

    const StoredRecord stored = *find("customer", "c1");
    EXPECT_EQ(stored.payload["organizationId"], "org-1");
    EXPECT_EQ(stored.payload["createdAt"], "2026-03-16T09:00:00.000Z");
    const std::int64_t sequence = database.read([](Connection& db) { return records::lastSequence(db); });

    EXPECT_EQ(push(batch), answer);
    EXPECT_EQ(database.read([](Connection& db) { return records::lastSequence(db); }), sequence);
    const std::vector<AuditEntry> audit =
        database.read([](Connection& db) { return auditlog::newest(db, "org-1", 10); });
    ASSERT_EQ(audit.size(), 1u);
    EXPECT_EQ(audit[0].source, "push");
    EXPECT_EQ(audit[0].deviceId, "apparaat-a");
}

TEST_F(SyncPushIntegrationTest, AnErrorIsNoReceiptSoTheSameChangeIsAcceptedOnceItsCauseIsGone) {
    const PushChange early =
        change(SyncEntityType::customer, "c5", SyncOperation::update, {{"city", "Ede"}}, 1);
    EXPECT_EQ(push({early})["errors"].size(), 1u);  // the record is not there yet
    push({change(SyncEntityType::customer, "c5", SyncOperation::create, {{"companyName", "Vijf"}})});
    const Json again = push({early});
    ASSERT_EQ(again["accepted"].size(), 1u) << again.dump();
    EXPECT_EQ(find("customer", "c5")->payload["city"], "Ede");
}

TEST_F(SyncPushIntegrationTest, AnInvoiceFollowsItsLinesWithoutANewRevision) {
    push({change(SyncEntityType::draftInvoice, "f1", SyncOperation::create,
                 {{"issueDate", "2026-03-16"}, {"vatTreatment", "nl_21"}})});
    EXPECT_EQ(find("draftInvoice", "f1")->payload["status"], "draft");
    const Json lines = push({change(SyncEntityType::invoiceLine, "r1", SyncOperation::create,
                                    {{"invoiceId", "f1"},
                                     {"sortOrder", 0},
                                     {"description", "Ontwerp"},
                                     {"lineMode", "qty_price"},
                                     {"quantityHundredths", 200},
                                     {"unitPriceCents", 5000}})});
    ASSERT_EQ(lines["accepted"].size(), 1u) << lines.dump();

    const StoredRecord invoice = *find("draftInvoice", "f1");
    EXPECT_EQ(invoice.revision, 1);  // a device's edit based on revision 1 stays valid
    EXPECT_EQ(invoice.payload["subtotalCents"], 10000);
    EXPECT_EQ(invoice.payload["vatCents"], 2100);
    EXPECT_EQ(invoice.payload["totalCents"], 12100);
    EXPECT_GT(invoice.sequence, find("invoiceLine", "r1")->sequence);  // devices pull the new totals

    push({change(SyncEntityType::invoiceLine, "r1", SyncOperation::remove, Json::object(), 1)});
    EXPECT_EQ(find("draftInvoice", "f1")->payload["totalCents"], 0);
}

TEST_F(SyncPushIntegrationTest, WhatTheCustomerReceivedOnAPaidInvoiceIsAnErrorItemAndStaysAsItWas) {
    push({change(SyncEntityType::draftInvoice, "f1", SyncOperation::create,
                 {{"issueDate", "2026-03-16"}, {"vatTreatment", "nl_21"}, {"customerId", "k1"}}),
          change(SyncEntityType::invoiceLine, "r1", SyncOperation::create,
                 {{"invoiceId", "f1"},
                  {"sortOrder", 0},
                  {"description", "Ontwerp"},
                  {"lineMode", "fixed"},
                  {"amountCents", 118750}})});
    // The service sends it and it is paid.
    database.write([&](Connection& db) {
        Json paid = records::find(db, "org-1", "draftInvoice", "f1")->payload;
        paid["status"] = "paid";
        paid["invoiceNumber"] = "FAC-2026-0001";
        writeRecord(db, {"org-1", SyncEntityType::draftInvoice, "f1", RecordOperation::put, paid, kNow,
                         Actor{}, std::nullopt});
    });
    const StoredRecord before = *find("draftInvoice", "f1");
    ASSERT_EQ(before.payload["totalCents"], 143688);
    const std::int64_t revision = before.revision;

    const Json answer = push({
        change(SyncEntityType::invoiceLine, "r2", SyncOperation::create,
               {{"invoiceId", "f1"},
                {"sortOrder", 1},
                {"description", "Extra"},
                {"lineMode", "fixed"},
                {"amountCents", 50000}}),
        change(SyncEntityType::invoiceLine, "r1", SyncOperation::update, {{"amountCents", 1}}, 1),
        change(SyncEntityType::invoiceLine, "r1", SyncOperation::remove, Json::object(), 1),
        change(SyncEntityType::draftInvoice, "f1", SyncOperation::update, {{"issueDate", "2026-01-01"}},
               revision),
        change(SyncEntityType::draftInvoice, "f1", SyncOperation::update, {{"customerId", nullptr}},
               revision),
        change(SyncEntityType::draftInvoice, "f1", SyncOperation::remove, Json::object(), revision),
    });
    EXPECT_TRUE(answer["accepted"].empty()) << answer.dump();
    ASSERT_EQ(answer["errors"].size(), 6u) << answer.dump();
    for (const Json& item : answer["errors"])
        EXPECT_NE(item["error"].get<std::string>().find("creditnota"), std::string::npos);
    EXPECT_EQ(find("draftInvoice", "f1")->payload, before.payload);
    EXPECT_FALSE(find("invoiceLine", "r2"));
    EXPECT_EQ(find("invoiceLine", "r1")->payload["amountCents"], 118750);

    // The organisation's own note, and a header push that repeats what is stored, are no edit of it.
    PushChange note = change(SyncEntityType::draftInvoice, "f1", SyncOperation::update,
                             {{"internalNote", "Betaald per bank"}, {"issueDate", "2026-03-16"}}, revision);
    note.idempotencyKey = "key-note";
    const Json noted = push({note});
    ASSERT_EQ(noted["accepted"].size(), 1u) << noted.dump();
    EXPECT_EQ(find("draftInvoice", "f1")->payload["totalCents"], 143688);
}

}  // namespace
}  // namespace zelvorin::service
