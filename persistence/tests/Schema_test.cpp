#include "persistence/Schema.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zelvorin {
namespace {

std::vector<std::string> payloadKeys(const TableDescription& table) {
    std::vector<std::string> keys;
    for (const auto& mapped : table.syncColumns())
        keys.push_back(mapped.json);
    return keys;
}

TEST(SchemaTest, DescribesTwentyFourTablesAndTwentyThreeMigrationsInOrder) {
    const Schema& schema = Schema::shared();
    EXPECT_EQ(schema.tables().size(), 24u);
    ASSERT_EQ(schema.migrations().size(), 24u);
    EXPECT_EQ(schema.migrations().front().identifier, "v1_sync_foundation");
    EXPECT_EQ(schema.migrations()[16].identifier, "v17_invoice_schedule_v2");
    EXPECT_EQ(schema.migrations().back().identifier, "v24_sync_cursor_organization");
    for (const auto& migration : schema.migrations()) {
        EXPECT_FALSE(migration.statements.empty()) << migration.identifier << " does nothing";
    }
}

TEST(SchemaTest, SyncMappingsAndServerOwnedTablesFollowFromTheColumns) {
    const Schema& schema = Schema::shared();
    EXPECT_EQ(payloadKeys(*schema.table("invoice_line")),
              (std::vector<std::string>{"id", "invoiceId", "sortOrder", "description", "lineMode",
                                        "quantityHundredths", "unitPriceCents", "amountCents",
                                        "vatTreatmentOverride", "lineTotalCents", "createdAt", "updatedAt",
                                        "deletedAt", "serverModifiedAt"}));
    EXPECT_EQ(payloadKeys(*schema.table("contact_person")),
              (std::vector<std::string>{"id", "contactId", "name", "email", "phone", "isPrimary",
                                        "isInvoiceContact", "createdAt", "avatarUrl", "serverModifiedAt",
                                        "deletedAt"}));
    EXPECT_EQ(schema.table("org_settings")->syncColumns().size(), 45u);
    EXPECT_EQ(schema.table("org_settings")->syncColumns().back().column, "portal_show_org_name");

    std::vector<std::string> locallyEdited, serverOwned;
    int synced = 0;
    for (const auto& table : schema.tables()) {
        if (!table.isSynced()) continue;
        ++synced;
        (table.isLocallyEdited() ? locallyEdited : serverOwned).push_back(table.name);
    }
    EXPECT_EQ(synced, 20);
    EXPECT_EQ(locallyEdited, (std::vector<std::string>{"customer", "contact_person", "draft_invoice",
                                                       "invoice_line", "credit_note", "invoice_schedule"}));
    EXPECT_EQ(serverOwned.size(), 14u);
}

TEST(SchemaTest, FieldsAreCamelCaseWithKindsFromTypeAndConstraints) {
    const TableDescription& schedule = *Schema::shared().table("invoice_schedule");
    EXPECT_EQ(schedule.column("review_window_hours")->fieldName, "reviewWindowHours");
    EXPECT_EQ(schedule.column("review_window_hours")->addedBy, "v17_invoice_schedule_v2");
    EXPECT_EQ(schedule.column("auto_send")->kind, FieldKind::boolean);
    EXPECT_EQ(schedule.column("indexation_percent_bps")->kind, FieldKind::optionalInteger);
    EXPECT_EQ(schedule.column("last_sync_error")->kind, FieldKind::none);
    EXPECT_EQ(Schema::shared().table("incoming_invoice")->column("extraction_confidence")->kind,
              FieldKind::optionalReal);
    EXPECT_EQ(Schema::shared().table("customer")->column("ideal_enabled")->kind, FieldKind::optionalBoolean);
}

TEST(SchemaTest, DerivesCreateThenIndexesThenAddedColumns) {
    Schema schema = Schema::parse(R"(
migration m1
  index idx_a_x a x
migration m2
  unique idx_a_y a x,y
table a m1 ARecord
  id TEXT PRIMARY KEY NOT NULL
  x INTEGER NOT NULL DEFAULT 0
  y TEXT @m2
)");
    ASSERT_EQ(schema.migrations().size(), 2u);
    EXPECT_EQ(schema.migrations()[0].statements,
              (std::vector<std::string>{
                  "CREATE TABLE a (\n  id TEXT PRIMARY KEY NOT NULL,\n  x INTEGER NOT NULL DEFAULT 0\n)",
                  "CREATE INDEX idx_a_x ON a (x)"}));
    EXPECT_EQ(schema.migrations()[1].statements,
              (std::vector<std::string>{"ALTER TABLE a ADD COLUMN y TEXT",
                                        "CREATE UNIQUE INDEX idx_a_y ON a (x, y)"}));
}

TEST(SchemaTest, ADescriptionThatDoesNotFitNamesItsLine) {
    try {
        Schema::parse("migration m1\ntable a m9 ARecord\n  id TEXT\n");
        FAIL() << "an unknown migration was accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("m9"), std::string::npos);
    }
    EXPECT_THROW(Schema::parse("migration m1\n  bogus line here\n"), std::invalid_argument);
    EXPECT_EQ(lowerCamelCase("kvitra_scan_enabled"), "kvitraScanEnabled");
}

}  // namespace
}  // namespace zelvorin
