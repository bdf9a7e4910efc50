#include "service/seed/DemoSeed.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "domain/InvoiceStatus.h"
#include "domain/InvoiceTotals.h"
#include "domain/LineTotals.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/sqlite/Connection.h"
#include "service/seed/DefaultTemplateConfig.h"
#include "service/seed/IbanText.h"
#include "service/store/Accounts.h"
#include "service/store/AuditLog.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "sync/PayloadValidator.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;
using Json = nlohmann::ordered_json;

constexpr year_month_day kReferenceDate = 2025y / June / 15;

std::vector<StoredRecord> recordsOf(const ServiceDatabase& database, const std::string& org,
                                    const std::optional<std::string>& entityType = std::nullopt) {
    return database.read([&](Connection& db) { return records::all(db, org, entityType); });
}

class DemoSeedIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, kReferenceDate)); }

    std::vector<Json> payloads(const std::string& entityType,
                               const std::string& org = demoOrganizationId()) const {
        std::vector<Json> result;
        for (const StoredRecord& record : recordsOf(database, org, entityType))
            result.push_back(record.payload);
        return result;
    }

    zelvorin::testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
};

// The first member, nested ones included, that the app's shape does not list: a device would drop
// it without a word.
std::optional<std::string> unlistedMember(const PayloadShape& shape, const Json& object) {
    for (auto member = object.begin(); member != object.end(); ++member) {
        const PayloadField* field = shape.field(member.key());
        if (field == nullptr) return member.key();
        const bool list = field->type == PayloadValueType::objectArray && member->is_array();
        if (field->nested == nullptr || !(member->is_object() || list)) continue;
        for (const Json& element : list ? *member : Json::array({*member})) {
            if (auto inner = unlistedMember(*field->nested, element)) return member.key() + "." + *inner;
        }
    }
    return std::nullopt;
}

// Where a seeded record does not fit what the app decodes: the push validator's violation, or a
// member the shape does not list.
std::optional<std::string> payloadMisfit(const std::string& entityType, const Json& payload) {
    const auto type = parseSyncEntityType(entityType);
    if (!type) return "onbekend soort record " + entityType;
    if (auto violation = validatePayload(*type, payload)) return violation->message();
    if (auto unlisted = unlistedMember(payloadShape(*type), payload)) return *unlisted + ": niet in de vorm";
    return std::nullopt;
}

std::map<std::string, Json> byId(const std::vector<Json>& payloads) {
    std::map<std::string, Json> result;
    for (const Json& payload : payloads)
        result[payload["id"].get<std::string>()] = payload;
    return result;
}

TEST_F(DemoSeedIntegrationTest, EveryPayloadFitsTheShapeTheAppDecodes) {
    for (const std::string& org : {demoOrganizationId(), secondOrganizationId()}) {
        const std::vector<StoredRecord> records = recordsOf(database, org);
        ASSERT_FALSE(records.empty());
        for (const StoredRecord& record : records) {
            SCOPED_TRACE(record.entityType + " " + record.id);
            EXPECT_EQ(payloadMisfit(record.entityType, record.payload), std::nullopt);
            EXPECT_EQ(record.payload["id"], record.id);
            EXPECT_EQ(record.payload["revision"], 1);
        }
        // Written like any other change: every record has its audit entry, in the seed's name.
        const std::vector<AuditEntry> audit =
            database.read([&](Connection& db) { return auditlog::newest(db, org, 100000); });
        EXPECT_EQ(audit.size(), records.size());
        for (const AuditEntry& entry : audit)
            EXPECT_EQ(entry.source, "seed");
    }
}

TEST_F(DemoSeedIntegrationTest, DemoOrganisationHoldsEveryKindOfRecord) {
    std::set<std::string> statuses;
    for (const Json& invoice : payloads("draftInvoice"))
        statuses.insert(invoice["status"].get<std::string>());
    EXPECT_EQ(payloads("draftInvoice").size(), 25u);
    EXPECT_EQ(statuses.size(), kAllInvoiceStatuses.size());

    std::set<std::string> treatments;
    std::set<std::string> modes;
    const auto invoices = byId(payloads("draftInvoice"));
    for (const Json& line : payloads("invoiceLine")) {
        const Json& invoice = invoices.at(line["invoiceId"].get<std::string>());
        treatments.insert(line.value("vatTreatmentOverride", invoice["vatTreatment"].get<std::string>()));
        modes.insert(line["lineMode"].get<std::string>());
    }
    EXPECT_EQ(treatments, (std::set<std::string>{"nl_21", "nl_9", "nl_0", "verlegd"}));
    EXPECT_EQ(modes, (std::set<std::string>{"hours_rate", "qty_price", "fixed"}));

    EXPECT_EQ(payloads("customer").size(), 5u);
    EXPECT_EQ(payloads("bankAccount").size(), 2u);
    EXPECT_EQ(payloads("bankTransaction").size(), 60u);
    EXPECT_EQ(payloads("incomingInvoice").size(), 6u);
    EXPECT_EQ(payloads("appNotification").size(), 3u);
    EXPECT_EQ(payloads("invoiceSchedule").size(), 2u);
    EXPECT_EQ(payloads("proposal").size(), 2u);
    EXPECT_FALSE(payloads("orgVariable").empty());
    EXPECT_FALSE(payloads("kvitraRule").empty());
    EXPECT_FALSE(payloads("invoiceReminder").empty());

    std::set<std::pair<std::string, std::string>> emailKinds;
    for (const Json& email : payloads("emailTemplate"))
        emailKinds.insert({email["type"].get<std::string>(), email["language"].get<std::string>()});
    for (const char* type : {"invoice", "credit_note", "reminder_1", "reminder_2", "reminder_final"}) {
        EXPECT_TRUE(emailKinds.count({type, "nl"}) && emailKinds.count({type, "en"})) << type;
    }
    const std::vector<Json> templates = payloads("invoiceTemplate");
    ASSERT_EQ(templates.size(), 1u);
    Json withQuantities = Json::parse(defaultTemplateConfigJson());
    withQuantities["table"]["showQuantityColumn"] = true;
    EXPECT_EQ(templates[0]["config"], withQuantities);
}

TEST_F(DemoSeedIntegrationTest, InvoiceTotalsAreTheSumsOfTheirLines) {
    std::map<std::string, std::vector<StoredInvoiceLine>> lines;
    for (const Json& line : payloads("invoiceLine")) {
        StoredInvoiceLine stored{line["lineMode"], std::nullopt, std::nullopt,
                                 std::nullopt,     std::nullopt, false};
        if (line.contains("quantityHundredths")) stored.quantityHundredths = line["quantityHundredths"];
        if (line.contains("unitPriceCents")) stored.unitPriceCents = line["unitPriceCents"];
        if (line.contains("amountCents")) stored.amountCents = line["amountCents"];
        if (line.contains("vatTreatmentOverride")) stored.vatTreatmentOverride = line["vatTreatmentOverride"];
        EXPECT_EQ(line["lineTotalCents"], lineExclCents(calcLineFromStored(stored)));
        lines[line["invoiceId"].get<std::string>()].push_back(stored);
    }
    for (const Json& invoice : payloads("draftInvoice")) {
        SCOPED_TRACE(invoice["id"].get<std::string>());
        const auto& invoiceLines = lines[invoice["id"].get<std::string>()];
        ASSERT_FALSE(invoiceLines.empty());
        const InvoiceTotals totals =
            invoiceTotalsFromStored(invoice["vatTreatment"].get<std::string>(), invoiceLines);
        EXPECT_EQ(invoice["subtotalCents"], totals.subtotalCents);
        EXPECT_EQ(invoice["vatCents"], totals.vatCents);
        EXPECT_EQ(invoice["totalCents"], totals.totalCents);
    }
}

TEST_F(DemoSeedIntegrationTest, MoneyAddsUpAcrossPaymentsCreditNotesAndTheBank) {
    const auto invoices = byId(payloads("draftInvoice"));
    std::map<std::string, std::int64_t> paid;
    for (const Json& payment : payloads("invoicePayment")) {
        paid[payment["invoiceId"].get<std::string>()] += payment["amountCents"].get<std::int64_t>();
    }
    std::map<std::string, std::int64_t> matched;
    for (const Json& transaction : payloads("bankTransaction")) {
        if (transaction.contains("matchedInvoiceId")) {
            matched[transaction["matchedInvoiceId"].get<std::string>()] +=
                transaction["amountCents"].get<std::int64_t>();
        }
    }
    EXPECT_EQ(matched, paid);  // every payment arrived on the bank account, and nothing else was matched
    for (const auto& [id, invoice] : invoices) {
        const std::int64_t total = invoice["totalCents"];
        SCOPED_TRACE(id);
        if (invoice["status"] == "paid") {
            EXPECT_EQ(paid[id], total);
        } else if (invoice["status"] == "partiallyPaid") {
            EXPECT_TRUE(paid[id] > 0 && paid[id] < total);
        } else {
            EXPECT_EQ(paid.count(id), 0u);
        }
        if (invoice["status"] == "overdue") {
            EXPECT_LT(invoice["dueDate"].get<std::string>(), "2025-06-15");
        }
    }
    std::set<std::string> credited;
    for (const Json& credit : payloads("creditNote")) {
        const Json& original = invoices.at(credit["creditedInvoiceId"].get<std::string>());
        EXPECT_EQ(original["status"], "credited");
        EXPECT_EQ(credit["totalCents"], -original["totalCents"].get<std::int64_t>());
        credited.insert(credit["creditedInvoiceId"].get<std::string>());
    }
    EXPECT_EQ(credited.size(), 2u);

    std::vector<std::string> ibans{payloads("orgSettings").at(0)["iban"].get<std::string>()};
    for (const Json& account : payloads("bankAccount"))
        ibans.push_back(account["iban"].get<std::string>());
    for (const Json& customer : payloads("customer"))
        ibans.push_back(customer["knownIban"].get<std::string>());
    for (const std::string& iban : ibans)
        EXPECT_TRUE(hasValidIbanChecksum(iban)) << iban;
}

// Every timestamp and date is well formed and, except the ones that lie ahead by nature, not
// after the moment the seed stands for: the app would otherwise show payments from the future.
void expectNoFuture(const Json& value, const std::string& key, const std::string& path) {
    if (value.is_object()) {
        for (const auto& [member, nested] : value.items())
            expectNoFuture(nested, member, path + "." + member);
        return;
    }
    if (value.is_array()) {
        for (const Json& item : value)
            expectNoFuture(item, key, path);
        return;
    }
    if (!value.is_string()) return;
    const std::string text = value.get<std::string>();
    const bool ahead = key == "dueDate" || key == "expiryDate" || key == "expiresAt";
    if (key.ends_with("At")) {
        EXPECT_TRUE(parseTimestamp(text).has_value()) << path << " " << text;
        if (!ahead) {
            EXPECT_LE(text, "2025-06-15T06:00:00.000Z") << path;
        }
    } else if (key.ends_with("Date")) {
        EXPECT_TRUE(parseCalendarDate(text).has_value()) << path << " " << text;
        if (!ahead) {
            EXPECT_LT(text, "2025-06-15") << path;
        }
    }
}

TEST_F(DemoSeedIntegrationTest, NothingHappensAfterTheReferenceDate) {
    for (const std::string& org : {demoOrganizationId(), secondOrganizationId()}) {
        for (const StoredRecord& record : recordsOf(database, org)) {
            expectNoFuture(record.payload, "", record.entityType);
        }
    }
}

TEST_F(DemoSeedIntegrationTest, OneUserBelongsToBothOrganisations) {
    std::map<std::string, std::set<std::string>> organisationsOf;
    for (const Membership& membership :
         database.read([](Connection& db) { return accounts::memberships(db); })) {
        organisationsOf[membership.userId].insert(membership.organizationId);
    }
    EXPECT_EQ(organisationsOf[demoOwnerUserId()],
              (std::set<std::string>{demoOrganizationId(), secondOrganizationId()}));
    EXPECT_EQ(organisationsOf[demoMemberUserId()], std::set<std::string>{demoOrganizationId()});
    EXPECT_LT(recordsOf(database, secondOrganizationId()).size(),
              recordsOf(database, demoOrganizationId()).size());
}

TEST_F(DemoSeedIntegrationTest, SeedsOnlyAnEmptyDatabase) {
    const auto lastSequence = [&] {
        return database.read([](Connection& db) { return records::lastSequence(db); });
    };
    const auto before = lastSequence();
    EXPECT_FALSE(seedDemo(database, kReferenceDate));
    EXPECT_EQ(lastSequence(), before);
    EXPECT_EQ(database.read([](Connection& db) { return accounts::organizations(db).size(); }), 2u);
}

std::string dump(const ServiceDatabase& database) {
    Json all = Json::array();
    for (const Organization& org :
         database.read([](Connection& db) { return accounts::organizations(db); })) {
        for (const StoredRecord& record : recordsOf(database, org.id))
            all.push_back(record.payload);
    }
    return all.dump();
}

TEST(DemoSeedDeterminismIntegrationTest, SameDateSameBytesAndIdsIndependentOfTheDate) {
    zelvorin::testing::TempDir dir;
    ServiceDatabase first(dir.path() / "a");
    ServiceDatabase second(dir.path() / "b");
    ServiceDatabase later(dir.path() / "c");
    seedDemo(first, kReferenceDate);
    seedDemo(second, kReferenceDate);
    seedDemo(later, 2026y / January / 2);
    EXPECT_EQ(dump(first), dump(second));
    EXPECT_NE(dump(first), dump(later));

    const auto ids = [](const ServiceDatabase& database) {
        std::vector<std::string> result;
        for (const StoredRecord& record : recordsOf(database, demoOrganizationId()))
            result.push_back(record.id);
        return result;
    };
    EXPECT_EQ(ids(first), ids(later));
    // Ids the service creates while running carry the current time, so they sort after the seed's.
    EXPECT_GT(uuidV7(system_clock::now(), 0), ids(first).back());
}

}  // namespace
}  // namespace zelvorin::service
