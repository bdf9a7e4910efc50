#include "persistence/repositories/CustomerRepository.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "domain/Timestamps.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "testing/TempDir.h"
#include "testing/ThrownKind.h"

namespace zelvorin {
namespace {

class CustomerRepositoryIntegrationTest : public ::testing::Test {
protected:
    CustomerRepositoryIntegrationTest()
        : database_(AppDatabase::openFile(dir_ / "zelvorin.sqlite")),
          clock_(std::make_shared<ManualClock>(*parseTimestamp("2026-03-02T09:00:00Z"))),
          customers_(database_, clock_),
          store_(database_, clock_) {}

    CustomerRecord add(const std::string& name, const std::string& city = "Utrecht", bool archived = false) {
        CustomerRecord fields;
        fields.organizationId = "org";
        fields.companyName = name;
        fields.city = city;
        fields.archived = archived;
        return customers_.createCustomer(fields);
    }
    ContactPersonRecord addContact(const std::string& customerId, const std::string& name,
                                   bool primary = false) {
        ContactPersonRecord person;
        person.contactId = customerId;
        person.name = name;
        person.isPrimary = primary;
        return customers_.saveContactPerson(person);
    }
    std::vector<std::string> names(bool includeArchived, const std::string& search) {
        std::vector<std::string> found;
        database_.writer->read([&](Connection& db) {
            for (const CustomerRecord& c : CustomerRepository::customers(db, includeArchived, search))
                found.push_back(c.companyName);
        });
        return found;
    }

    testing::TempDir dir_;
    AppDatabase database_;
    std::shared_ptr<ManualClock> clock_;
    CustomerRepository customers_;
    GRDBSyncStore store_;
};

TEST_F(CustomerRepositoryIntegrationTest, SearchListsEachMatchOnceSortedIgnoringCase) {
    add("Bakkerij Jansen");
    add("Zuivel BV", "Jannum");
    const CustomerRecord viaContact = add("acme");
    addContact(viaContact.id, "Jan de Vries");
    const CustomerRecord twice = add("Jansen & Jan");
    addContact(twice.id, "Jan Jansen");
    add("Oud Jan", "Jutphaas", /*archived=*/true);
    add("Bakker");

    EXPECT_EQ(names(false, "jan"),
              (std::vector<std::string>{"acme", "Bakkerij Jansen", "Jansen & Jan", "Zuivel BV"}));
    EXPECT_EQ(names(true, "jan"),
              (std::vector<std::string>{"acme", "Bakkerij Jansen", "Jansen & Jan", "Oud Jan", "Zuivel BV"}));
    EXPECT_EQ(names(false, "").front(), "acme");  // acme before Bakker

    // A tombstoned customer is never listed, but still found by id.
    database_.writer->write([&](Connection& db) {
        db.prepare("UPDATE customer SET deleted_at = 't' WHERE id = ?").bind(1, viaContact.id).run();
    });
    EXPECT_EQ(names(true, "jan").size(), 4u);
    EXPECT_TRUE(customers_.customer(viaContact.id));
}

TEST_F(CustomerRepositoryIntegrationTest, WritesQueueTheirChangesWithTheRightPayloads) {
    CustomerRecord customer = add("Bakkerij Bol");
    EXPECT_EQ(customer.syncState, "localOnly");
    std::vector<PushChange> queued = store_.pendingChangeBatch(10);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].operation, SyncOperation::create);
    EXPECT_EQ(queued[0].payload.asObject()->size(), 13u);
    EXPECT_EQ(*queued[0].payload.find("companyName"), JSONValue("Bakkerij Bol"));
    EXPECT_TRUE(queued[0].payload.find("vatNumber")->isNull());

    customer.companyName = "Bol & Zn";
    customer.idealEnabled = true;
    customers_.updateCustomer(customer, {"companyName", "idealEnabled"});
    EXPECT_EQ(customers_.customer(customer.id)->syncState, "localOnly");  // never reached the service

    // Once synced, an edit makes it pendingUpload, based on the server's revision.
    const PushAcceptedItem accepted{SyncEntityType::customer, customer.id, 5};
    std::vector<std::string> keys;
    for (const PushChange& c : store_.pendingChangeBatch(10))
        keys.push_back(c.idempotencyKey);
    store_.removeChanges(keys);
    store_.markAccepted(std::span(&accepted, 1));
    customer.archived = true;
    customers_.updateCustomer(customer, {"archived"});
    EXPECT_EQ(customers_.customer(customer.id)->syncState, "pendingUpload");
    queued = store_.pendingChangeBatch(10);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].baseServerRevision, 5);
    EXPECT_EQ(queued[0].clientRevision, 6);
    EXPECT_EQ(queued[0].changedFields, std::vector<std::string>{"archived"});
    EXPECT_EQ(queued[0].payload.asObject()->size(), 18u);
    EXPECT_EQ(*queued[0].payload.find("idealEnabled"), JSONValue(true));
    EXPECT_EQ(*queued[0].payload.find("archived"), JSONValue(true));

    CustomerRecord missing;
    missing.id = "nope";
    EXPECT_EQ(testing::thrownKind([&] { customers_.updateCustomer(missing, {}); }),
              PersistenceError::Kind::notFound);
}

TEST_F(CustomerRepositoryIntegrationTest, ContactPersonsPrimaryFirstAndDeletedByTombstone) {
    const CustomerRecord customer = add("Acme");
    addContact(customer.id, "bert");
    const ContactPersonRecord anna = addContact(customer.id, "Anna");
    addContact(customer.id, "Zoë", /*primary=*/true);
    std::vector<std::string> order;
    for (const ContactPersonRecord& p : customers_.contactPersons(customer.id))
        order.push_back(p.name);
    EXPECT_EQ(order, (std::vector<std::string>{"Zoë", "Anna", "bert"}));

    ASSERT_TRUE(customers_.deleteContactPerson(anna.id));
    EXPECT_FALSE(customers_.deleteContactPerson("unknown"));
    const ContactPersonRecord gone = *customers_.contactPerson(anna.id);
    EXPECT_EQ(gone.syncState, "tombstoned");
    EXPECT_TRUE(gone.deletedAt);
    // Changes stamped within one millisecond queue by key, so look the delete up.
    const std::vector<PushChange> queued = store_.pendingChangeBatch(10);
    const auto deleted = std::find_if(queued.begin(), queued.end(), [&](const PushChange& c) {
        return c.operation == SyncOperation::remove;
    });
    ASSERT_NE(deleted, queued.end());
    const PushChange& last = *deleted;
    EXPECT_EQ(last.operation, SyncOperation::remove);
    EXPECT_EQ(last.entityType, SyncEntityType::contact);
    EXPECT_EQ(last.baseServerRevision, 1);
    EXPECT_EQ(last.payload, JSONValue::object());
    EXPECT_TRUE(customers_.linkedInvoices(customer.id).outgoing.empty());
}

}  // namespace
}  // namespace zelvorin
