#include "persistence/sync/GRDBSyncStore.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "domain/Timestamps.h"
#include "persistence/sync/EntityMapping.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

// A store on a real database file, and the local edits a repository would make: each writes the
// row and queues its change in one transaction.
class GRDBSyncStoreIntegrationTest : public ::testing::Test {
protected:
    GRDBSyncStoreIntegrationTest()
        : database_(AppDatabase::openFile(dir_ / "zelvorin.sqlite")),
          clock_(std::make_shared<ManualClock>(*parseTimestamp("2026-03-02T09:00:00Z"))),
          store_(database_, clock_) {}

    PushChange change(SyncEntityType type, const std::string& id, SyncOperation operation,
                      std::int64_t clientRevision, JSONValue payload) {
        PushChange c;
        c.entityType = type;
        c.entityId = id;
        c.operation = operation;
        c.clientRevision = clientRevision;
        if (operation != SyncOperation::create) c.baseServerRevision = clientRevision - 1;
        c.payload = std::move(payload);
        c.clientTimestamp = formatTimestampMillis(clock_->now());
        c.idempotencyKey = "key-" + std::to_string(++keys_);
        clock_->advance(std::chrono::milliseconds(10));  // queue order follows created_at
        return c;
    }

    void createCustomerOffline(const std::string& id, const std::string& name) {
        database_.writer->write([&](Connection& db) {
            db.prepare(
                  "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at, "
                  "sync_state) VALUES (?, 'org', ?, 't', 't', 'localOnly')")
                .bindAll(id, name)
                .run();
            GRDBSyncStore::enqueueChange(db,
                                         change(SyncEntityType::customer, id, SyncOperation::create, 1,
                                                JSONValue::object({{"companyName", name}})),
                                         *clock_);
        });
    }

    void renameCustomerOffline(const std::string& id, const std::string& name, std::int64_t clientRevision) {
        database_.writer->write([&](Connection& db) {
            db.prepare(
                  "UPDATE customer SET company_name = ?, sync_state = CASE sync_state WHEN 'localOnly' "
                  "THEN 'localOnly' ELSE 'pendingUpload' END WHERE id = ?")
                .bindAll(name, id)
                .run();
            PushChange rename = change(SyncEntityType::customer, id, SyncOperation::update, clientRevision,
                                       JSONValue::object({{"companyName", name}}));
            rename.changedFields = std::vector<std::string>{"companyName"};
            GRDBSyncStore::enqueueChange(db, rename, *clock_);
        });
    }

    // One column of one row, as SQLite holds it.
    SqlValue column(const std::string& table, const std::string& id, const std::string& name) {
        return database_.writer->read([&](Connection& db) {
            Statement select = db.prepare("SELECT " + name + " FROM " + table + " WHERE id = ?");
            select.bind(1, id);
            return select.step() ? select.value(0) : SqlValue(std::string("<geen rij>"));
        });
    }
    bool exists(const std::string& table, const std::string& id) {
        return column(table, id, "1") != SqlValue(std::string("<geen rij>"));
    }
    std::string text(const std::string& table, const std::string& id, const std::string& name) {
        const SqlValue value = column(table, id, name);
        return std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : "<geen tekst>";
    }

    static PullChange pulled(SyncEntityType type, const std::string& id, SyncOperation operation,
                             std::int64_t revision, JSONValue payload) {
        return {type, id, operation, revision, "2026-03-02T10:00:00Z", std::move(payload)};
    }

    testing::TempDir dir_;
    AppDatabase database_;
    std::shared_ptr<ManualClock> clock_;
    GRDBSyncStore store_;
    int keys_ = 0;
};

TEST(EntityMappingTest, EveryTypeMapsItsTableWithoutTheLocalBookkeeping) {
    ASSERT_EQ(entityMappings().size(), 20u);
    EXPECT_EQ(entityMapping(SyncEntityType::invoiceLine)->columns.size(), 14u);
    EXPECT_EQ(entityMapping(SyncEntityType::contact)->table, "contact_person");
    EXPECT_EQ(entityMapping(SyncEntityType::contact)->columns.size(), 11u);
    EXPECT_EQ(entityMapping(SyncEntityType::orgSettings)->columns.size(), 45u);
    int locallyEdited = 0;
    for (const EntityMapping& mapping : entityMappings()) {
        locallyEdited += mapping.locallyEdited;
        for (const SyncColumn& c : mapping.columns) {
            EXPECT_NE(c.column, "sync_state");
            EXPECT_NE(c.column, "local_modified_at");
        }
    }
    EXPECT_EQ(locallyEdited, 6);
    const auto& line = entityMapping(SyncEntityType::invoiceLine)->columns;
    EXPECT_EQ(line[1].json, "invoiceId");
    EXPECT_EQ(line[1].column, "invoice_id");
}

TEST_F(GRDBSyncStoreIntegrationTest, OfflineCustomerStaysLocalOnlyUntilItsLastChangeIsAccepted) {
    createCustomerOffline("c1", "Bakkerij Bol");
    renameCustomerOffline("c1", "Bakkerij Bol B.V.", 2);
    renameCustomerOffline("c1", "Bol & Zn", 3);
    EXPECT_EQ(store_.pendingChangeCount(), 3);

    const std::vector<PushChange> batch = store_.pendingChangeBatch(2);
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0].operation, SyncOperation::create);
    EXPECT_FALSE(batch[0].changedFields);
    EXPECT_EQ(batch[1].changedFields, std::vector<std::string>{"companyName"});
    EXPECT_EQ(batch[1].baseServerRevision, 1);
    EXPECT_EQ(batch[1].payload, JSONValue::object({{"companyName", "Bakkerij Bol B.V."}}));

    // The engine drops accepted changes before it settles them; one update is still queued.
    const std::string accepted[] = {batch[0].idempotencyKey, batch[1].idempotencyKey};
    store_.removeChanges(accepted);
    const PushAcceptedItem item{SyncEntityType::customer, "c1", 7};
    store_.markAccepted(std::span(&item, 1));
    EXPECT_EQ(column("customer", "c1", "revision"), SqlValue(std::int64_t{7}));
    EXPECT_EQ(text("customer", "c1", "sync_state"), "localOnly");

    const std::vector<PushChange> rest = store_.pendingChangeBatch(200);
    ASSERT_EQ(rest.size(), 1u);
    const std::string last[] = {rest[0].idempotencyKey};
    store_.removeChanges(last);
    const PushAcceptedItem final{SyncEntityType::customer, "c1", 8};
    store_.markAccepted(std::span(&final, 1));
    EXPECT_EQ(column("customer", "c1", "revision"), SqlValue(std::int64_t{8}));
    EXPECT_EQ(text("customer", "c1", "sync_state"), "synced");
    EXPECT_EQ(store_.pendingChangeCount(), 0);
}

TEST_F(GRDBSyncStoreIntegrationTest, FailuresCountAttemptsAndConflictsKeepTheirMessage) {
    createCustomerOffline("c1", "Een");
    createCustomerOffline("c2", "Twee");
    const std::vector<PushChange> batch = store_.pendingChangeBatch(10);
    const std::string keys[] = {batch[0].idempotencyKey};
    store_.recordPushFailure(keys, "Ongeldige klant");
    store_.recordPushFailure(keys, "Nog steeds ongeldig");
    EXPECT_EQ(store_.pendingChangeCount(), 2);  // a failed push never leaves the queue
    database_.writer->read([&](Connection& db) {
        Statement row =
            db.prepare("SELECT attempts, last_error FROM outbox_change WHERE idempotency_key = ?");
        row.bind(1, keys[0]);
        ASSERT_TRUE(row.step());
        EXPECT_EQ(row.int64(0), 2);
        EXPECT_EQ(row.text(1), "Nog steeds ongeldig");
    });

    const PushConflictItem conflicts[] = {{SyncEntityType::customer, "c1", 7, std::nullopt},
                                          {SyncEntityType::customer, "c2", 3, "Klant is gearchiveerd"},
                                          {SyncEntityType::bankTransaction, "t1", 2, "genegeerd"}};
    store_.markConflicts(conflicts);
    EXPECT_EQ(text("customer", "c1", "last_sync_error"), "revision 7 op server");
    EXPECT_EQ(text("customer", "c2", "last_sync_error"), "Klant is gearchiveerd");
    EXPECT_EQ(store_.conflictCount(), 2);
}

TEST_F(GRDBSyncStoreIntegrationTest, PulledChangesRespectLocalEditsAndConvertTheirValues) {
    createCustomerOffline("mine", "Lokaal");
    const PullChange page[] = {
        // A pending local edit wins over the pull and becomes a conflict.
        pulled(SyncEntityType::customer, "mine", SyncOperation::update, 4,
               JSONValue::object({{"companyName", "Van de server"}})),
        pulled(SyncEntityType::invoiceLine, "l1", SyncOperation::create, 2,
               JSONValue::object({{"id", "l1"},
                                  {"invoiceId", "f1"},
                                  {"description", "Ontwerp"},
                                  {"lineMode", "quantity"},
                                  {"amountCents", 12.0},
                                  {"createdAt", "t"},
                                  {"updatedAt", "t"},
                                  {"deletedAt", "2026-03-01T00:00:00Z"},
                                  {"unknownKey", "ignored"}})),
        pulled(SyncEntityType::incomingInvoice, "i1", SyncOperation::create, 1,
               JSONValue::object({{"id", "i1"},
                                  {"organizationId", "org"},
                                  {"extractionConfidence", 12.5},
                                  {"extractedLines", JSONValue::array({JSONValue::object({{"a", 1}})})},
                                  {"createdAt", "t"},
                                  {"updatedAt", "t"}})),
        // Not an object: nothing happens to this row, the page still completes.
        pulled(SyncEntityType::customer, "odd", SyncOperation::update, 1, JSONValue("tekst")),
    };
    store_.applyPulledChanges(page, "cursor-1");

    EXPECT_EQ(text("customer", "mine", "company_name"), "Lokaal");
    EXPECT_EQ(text("customer", "mine", "sync_state"), "conflict");
    EXPECT_EQ(column("invoice_line", "l1", "amount_cents"), SqlValue(std::int64_t{12}));
    EXPECT_EQ(column("invoice_line", "l1", "revision"), SqlValue(std::int64_t{2}));
    EXPECT_EQ(text("invoice_line", "l1", "sync_state"), "synced");
    EXPECT_EQ(column("incoming_invoice", "i1", "extraction_confidence"), SqlValue(12.5));
    EXPECT_EQ(text("incoming_invoice", "i1", "extracted_lines"), R"([{"a":1}])");
    EXPECT_FALSE(exists("customer", "odd"));
    EXPECT_EQ(store_.currentCursor(), "cursor-1");

    // A conflicting row is overwritten by the next pull; a payload without deletedAt keeps it.
    const PullChange second[] = {pulled(SyncEntityType::customer, "mine", SyncOperation::update, 5,
                                        JSONValue::object({{"id", "mine"},
                                                           {"organizationId", "org"},
                                                           {"companyName", "Van de server"},
                                                           {"createdAt", "t"},
                                                           {"updatedAt", "t2"}})),
                                 pulled(SyncEntityType::invoiceLine, "l1", SyncOperation::update, 3,
                                        JSONValue::object({{"id", "l1"},
                                                           {"invoiceId", "f1"},
                                                           {"description", "Ontwerp logo"},
                                                           {"lineMode", "quantity"},
                                                           {"createdAt", "t"},
                                                           {"updatedAt", "t2"}}))};
    store_.applyPulledChanges(second, std::nullopt);
    EXPECT_EQ(text("customer", "mine", "company_name"), "Van de server");
    EXPECT_EQ(text("customer", "mine", "sync_state"), "synced");
    EXPECT_EQ(text("invoice_line", "l1", "deleted_at"), "2026-03-01T00:00:00Z");
    EXPECT_EQ(text("invoice_line", "l1", "description"), "Ontwerp logo");
    EXPECT_EQ(store_.currentCursor(), std::nullopt);
}

TEST_F(GRDBSyncStoreIntegrationTest, APulledDeleteRemovesTheRowButNotItsQueuedChanges) {
    createCustomerOffline("c1", "Weg");
    const PullChange page[] = {
        pulled(SyncEntityType::customer, "c1", SyncOperation::remove, 3, JSONValue::object())};
    store_.applyPulledChanges(page, "c");
    EXPECT_FALSE(exists("customer", "c1"));
    EXPECT_EQ(store_.pendingChangeCount(), 1);
}

// A pulled record that does not fit its table would fail its page on every pull: it is set aside
// with the reason, the rest of the page and the cursor land, and a fitting version later takes it
// out of quarantine.
TEST_F(GRDBSyncStoreIntegrationTest, ARecordThatDoesNotFitIsSetAsideAndTheRestOfThePageLands) {
    store_.applyPulledChanges({}, "before");
    const auto customer = [](const std::string& id, const std::string& name) {
        return JSONValue::object({{"id", id},
                                  {"organizationId", "o"},
                                  {"companyName", name},
                                  {"createdAt", "t"},
                                  {"updatedAt", "t"}});
    };
    const PullChange page[] = {
        pulled(SyncEntityType::customer, "ok", SyncOperation::create, 1, customer("ok", "A")),
        // No company name: the NOT NULL constraint refuses the row.
        pulled(SyncEntityType::customer, "bad", SyncOperation::create, 1, JSONValue::object({{"id", "bad"}})),
        pulled(SyncEntityType::customer, "text", SyncOperation::create, 1, JSONValue("geen object")),
        pulled(SyncEntityType::customer, "after", SyncOperation::create, 1, customer("after", "B"))};
    store_.applyPulledChanges(page, "after");
    EXPECT_TRUE(exists("customer", "ok"));
    EXPECT_TRUE(exists("customer", "after"));
    EXPECT_FALSE(exists("customer", "bad"));
    EXPECT_EQ(store_.currentCursor(), "after");
    EXPECT_EQ(store_.quarantinedCount(), 2);
    const std::string reason = database_.writer->read([](Connection& db) {
        Statement& row = db.cached("SELECT reason FROM sync_quarantine WHERE entity_id = 'bad'");
        return row.step() ? row.text(0) : std::string();
    });
    EXPECT_NE(reason.find("NOT NULL constraint failed: customer."), std::string::npos) << reason;

    const PullChange fixed[] = {
        pulled(SyncEntityType::customer, "bad", SyncOperation::update, 2, customer("bad", "C"))};
    store_.applyPulledChanges(fixed, "later");
    EXPECT_TRUE(exists("customer", "bad"));
    EXPECT_EQ(store_.quarantinedCount(), 1);  // the text that is no record stays apart
}

TEST_F(GRDBSyncStoreIntegrationTest, CoverageDropsTheCursorOnceForANewKind) {
    const SyncEntityType two[] = {SyncEntityType::customer, SyncEntityType::contact};
    const SyncEntityType three[] = {SyncEntityType::customer, SyncEntityType::contact,
                                    SyncEntityType::proposal};
    store_.prepareCoverage(two);  // no cursor row yet: nothing to change
    store_.applyPulledChanges({}, "c-1");
    store_.prepareCoverage(two);  // nothing covered yet, a cursor exists: start over
    EXPECT_EQ(store_.currentCursor(), std::nullopt);
    store_.applyPulledChanges({}, "c-2");
    store_.prepareCoverage(two);
    EXPECT_EQ(store_.currentCursor(), "c-2");
    store_.prepareCoverage(three);
    EXPECT_EQ(store_.currentCursor(), std::nullopt);
    store_.applyPulledChanges({}, "c-3");
    store_.prepareCoverage(three);
    EXPECT_EQ(store_.currentCursor(), "c-3");
    // Fewer kinds narrow the coverage but keep the cursor.
    store_.prepareCoverage(two);
    EXPECT_EQ(store_.currentCursor(), "c-3");
    EXPECT_EQ(text("sync_cursor", "1", "covered_entity_types"), "customer,contact");
}

}  // namespace
}  // namespace zelvorin
