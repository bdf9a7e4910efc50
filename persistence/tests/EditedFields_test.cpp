#include "persistence/repositories/EditedFields.h"

#include <gtest/gtest.h>

#include <set>

#include "persistence/Schema.h"
#include "persistence/repositories/LocalEdit.h"
#include "sync/PayloadCatalogue.h"

namespace zelvorin {
namespace {

// A key outside the payload shape is a change the service silently ignores; a key without a
// column is a value the device never stores.
TEST(EditedFieldsTest, EveryListedKeyIsAPayloadMemberWithAColumn) {
    for (const EditedFields::Listed& list : EditedFields::kAll) {
        SCOPED_TRACE(std::string(list.name));
        const PayloadShape& shape = payloadShape(list.entityType);
        const TableDescription* table = Schema::shared().tableOfEntity(rawValue(list.entityType));
        ASSERT_NE(table, nullptr);
        std::set<std::string_view> seen;
        for (const std::string_view key : list.keys) {
            EXPECT_NE(shape.field(key), nullptr) << key << " is no member of " << shape.name;
            const bool stored = std::any_of(table->columns.begin(), table->columns.end(), [&](const auto& c) {
                return c.fieldName == key && c.kind != FieldKind::none;
            });
            EXPECT_TRUE(stored) << key << " is no field of " << table->recordType;
            EXPECT_TRUE(seen.insert(key).second) << key << " twice";
            for (const char* bookkeeping :
                 {"id", "revision", "syncState", "createdAt", "updatedAt", "deletedAt", "serverModifiedAt",
                  "localModifiedAt", "lastSyncError"}) {
                EXPECT_NE(key, bookkeeping) << "the store keeps that itself";
            }
        }
    }
}

TEST(EditedFieldsTest, ARecordTakesOverExactlyTheListedFields) {
    CustomerRecord stored;
    stored.id = "c1";
    stored.companyName = "Oud";
    stored.language = "nl";
    stored.revision = 4;
    CustomerRecord changed;
    changed.id = "elders";
    changed.companyName = "Nieuw";
    changed.archived = true;
    changed.language = "en";
    changed.revision = 9;

    CustomerRecord edited = stored;
    edited.assign(changed, EditedFields::kCustomerUpdate);
    EXPECT_EQ(edited.companyName, "Nieuw");
    EXPECT_TRUE(edited.archived);
    EXPECT_EQ(edited.id, "c1");
    EXPECT_EQ(edited.language, "nl") << "not in the list";
    EXPECT_EQ(edited.revision, 4);

    const std::string_view unknown[] = {"companyNaam"};
    EXPECT_THROW(edited.assign(changed, unknown), std::invalid_argument);
}

TEST(EditedFieldsTest, APayloadRefusesAKeyTheServiceWouldIgnore) {
    CustomerRecord customer;
    customer.companyName = "Bakkerij Bol";
    customer.idealEnabled = true;
    const std::string_view known[] = {"companyName", "idealEnabled", "vatNumber"};
    EXPECT_EQ(
        LocalEdit::payload(customer, known),
        JSONValue::object({{"companyName", "Bakkerij Bol"}, {"idealEnabled", true}, {"vatNumber", nullptr}}));
    // `language` is a column of the customer, but no member of its payload.
    const std::string_view unlisted[] = {"companyName", "language"};
    EXPECT_THROW(LocalEdit::payload(customer, unlisted), std::logic_error);
}

}  // namespace
}  // namespace zelvorin
