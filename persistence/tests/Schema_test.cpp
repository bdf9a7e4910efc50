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

TEST(SchemaTest, DescribesTwentyFiveTablesAndTwentySixMigrationsInOrder) {
    const Schema& schema = Schema::shared();
    EXPECT_EQ(schema.tables().size(), 25u);
    ASSERT_EQ(schema.migrations().size(), 26u);
    EXPECT_EQ(schema.migrations().front().identifier, "v1_sync_foundation");
    EXPECT_EQ(schema.migrations()[16].identifier, "v17_invoice_schedule_v2");
    EXPECT_EQ(schema.migrations().back().identifier, "v26_sync_quarantine");
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

std::vector<std::string> keysOf(const PayloadShapeDescription& shape) {
    std::vector<std::string> keys;
    for (const auto& member : shape.members)
        keys.push_back(member.key + (member.optional ? "?" : ""));
    return keys;
}

TEST(SchemaTest, PayloadShapesFollowTheColumnsWhereTheDescriptionSaysNothingElse) {
    Schema schema = Schema::parse(R"(
migration m1
migration m2
table thing m1 ThingRecord thing ThingPayload
  id TEXT PRIMARY KEY NOT NULL
  kind TEXT NOT NULL :json(VatTreatment)
  size INTEGER
  done INTEGER NOT NULL DEFAULT 0 :bool :json(boolean?)
  created_at TEXT NOT NULL
  deleted_at TEXT :after(server_modified_at)
  revision INTEGER NOT NULL DEFAULT 1
  sync_state TEXT NOT NULL DEFAULT 'synced'
  server_modified_at TEXT
  local_modified_at TEXT
  last_sync_error TEXT
  parts TEXT @m2 :json([Part]?) :after(size)
  note TEXT @m2 :unlisted
shape Part
  at integer
  label string?
)");
    const PayloadShapeDescription& thing = *schema.payloadShape("ThingPayload");
    EXPECT_EQ(thing.entityType, "thing");
    EXPECT_EQ(keysOf(thing), (std::vector<std::string>{"id", "kind", "size?", "parts?", "done?", "createdAt",
                                                       "revision", "serverModifiedAt?", "deletedAt?"}))
        << "the bookkeeping stays out unless typed, :after moves a member, :unlisted drops one";
    EXPECT_EQ(thing.members[1].type, PayloadMemberType::vatTreatment);
    EXPECT_EQ(thing.members[3].type, PayloadMemberType::objectArray);
    EXPECT_EQ(thing.members[3].nested, "Part");
    EXPECT_EQ(thing.members[3].column, "parts");
    EXPECT_EQ(keysOf(*schema.payloadShape("Part")), (std::vector<std::string>{"at", "label?"}));
    EXPECT_EQ(schema.tableOfEntity("thing")->name, "thing");
    EXPECT_EQ(schema.table("thing")->syncColumns().size(), 9u) << "the mapping still carries `note`";
}

TEST(SchemaTest, PayloadShapesOfTheApplication) {
    const Schema& schema = Schema::shared();
    ASSERT_EQ(schema.payloadShapes().size(), 23u);
    const PayloadShapeDescription& customer = *schema.payloadShape("CustomerPayload");
    EXPECT_EQ(customer.table, "customer");
    EXPECT_EQ(keysOf(customer).size(), 28u) << "every column but the language and the local bookkeeping";
    EXPECT_EQ(keysOf(*schema.payloadShape("OrgSettingsPayload")).size(), 41u);
    for (const auto& shape : schema.payloadShapes()) {
        for (const auto& member : shape.members) {
            if (member.column.empty()) continue;
            const ColumnDescription* column = schema.table(shape.table)->column(member.column);
            ASSERT_NE(column, nullptr) << shape.name << "." << member.key;
            EXPECT_EQ(member.key, column->fieldName) << "a member is named as its column's field";
            // A member the service may leave out must be a column that can take its default.
            if (member.optional && column->constraints.find("NOT NULL") != std::string::npos) {
                EXPECT_NE(column->constraints.find("DEFAULT"), std::string::npos)
                    << shape.name << "." << member.key;
            }
        }
    }
}

TEST(SchemaTest, PayloadAnnotationsThatDoNotFitAreRefused) {
    const auto refused = [](const std::string& columns, const std::string& shapes = "") {
        const std::string text =
            "migration m1\ntable t m1 TRecord t TPayload\n  id TEXT PRIMARY KEY NOT NULL\n"
            "  sync_state TEXT NOT NULL DEFAULT 'synced'\n" +
            columns + shapes;
        EXPECT_THROW(Schema::parse(text), std::invalid_argument) << columns << shapes;
    };
    refused("  a TEXT :json(Vat)\n");                     // no such shape
    refused("  a TEXT :json(lowercase)\n");               // no such type
    refused("  a TEXT :after(nothing)\n");                // no such member
    refused("  a TEXT :after(b)\n  b TEXT :after(a)\n");  // waiting on each other
    refused("  a TEXT :unlisted :after(id)\n");
    refused("  a REAL\n");                              // a payload has no plain numbers
    refused("  a TEXT :jsn(string)\n");                 // a misspelt annotation
    refused("", "shape S\n  a string\n  a integer\n");  // a key twice
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
