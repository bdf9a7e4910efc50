#include <gtest/gtest.h>

#include <set>
#include <string>

#include "sync/PayloadCatalogue.h"
#include "sync/PayloadValidator.h"

namespace zelvorin {
namespace {

using nlohmann::ordered_json;

// A complete invoice as the service sends it, with its snapshot.
ordered_json draftInvoice() {
    return ordered_json::parse(R"({
        "id": "f-1", "organizationId": "org-1", "customerId": "k-1", "invoiceNumber": "FAC-2026-0007",
        "status": "sent", "issueDate": "2026-03-02", "dueDate": "2026-04-01", "vatTreatment": "nl_21",
        "subtotalCents": 100000, "vatCents": 21000, "totalCents": 121000, "isStandaloneCreditNote": false,
        "snapshotData": {"orgName": "Studio Zelvorin", "orgAddress": "Keizersgracht 1, Amsterdam",
                         "customerCompanyName": "Bakkerij Visser", "customerAddress": "Dorpsstraat 4",
                         "bankIban": "NL91ABNA0417164300", "orgKvkNumber": null},
        "layoutConfig": {"blocks": [1, 2]}, "paymentTermsOverride": 30, "createdAt": "2026-03-02T09:00:00Z",
        "updatedAt": "2026-03-02T09:00:00Z", "revision": 3, "syncState": "synced", "deletedAt": null})");
}

ordered_json invoiceSchedule() {
    return ordered_json::parse(R"({
        "id": "s-1", "organizationId": "org-1", "customerId": "k-1", "billingMode": "hours", "unitsPerWeek": 3200,
        "rateCents": 9500, "workdays": {"ma": 800, "di": 800, "wo": 0, "do": 800, "vr": 800, "za": 0, "zo": 0},
        "billingFrequency": "monthly", "billingDay": 1, "billingTime": "09:00",
        "invoiceDescriptionTemplate": "Uren {maand}", "descriptionTemplate": "Werkzaamheden", "active": true,
        "createdAt": "2026-01-01T00:00:00Z", "updatedAt": "2026-01-01T00:00:00Z", "revision": 1,
        "lines": [{"id": "l-1", "description": "Hosting", "amountCents": 1500, "vatTreatment": "nl_21",
                   "sortOrder": 0}]})");
}

std::string firstViolation(SyncEntityType type, const ordered_json& payload,
                           PayloadCoverage coverage = PayloadCoverage::complete) {
    const auto violation = validatePayload(type, payload, coverage);
    return violation ? violation->message() : "past";
}

TEST(PayloadCatalogueTest, EveryShapeFindsEachOfItsMembersByKey) {
    ASSERT_EQ(allPayloadShapes().size(), 23u);
    std::set<std::string_view> names;
    for (const PayloadShape* shape : allPayloadShapes()) {
        names.insert(shape->name);
        ASSERT_EQ(shape->byKey.size(), shape->fields.size());
        for (std::size_t i = 0; i < shape->fields.size(); ++i) {
            EXPECT_EQ(shape->indexOf(shape->fields[i].key), static_cast<std::ptrdiff_t>(i)) << shape->name;
        }
        EXPECT_EQ(shape->field("noSuchMember"), nullptr);
        EXPECT_EQ(shape->indexOf(""), -1);
    }
    EXPECT_EQ(names.size(), 23u);
    EXPECT_EQ(payloadShape(SyncEntityType::contact).name, "ContactPersonPayload");
    EXPECT_EQ(payloadShape(SyncEntityType::bankTransaction).name, "BankTransactionPayload");
    EXPECT_EQ(payloadShape(SyncEntityType::draftInvoice).fields.size(), 42u);
    EXPECT_EQ(payloadShape(SyncEntityType::orgSettings).fields.size(), 41u);
    const PayloadField* snapshot = payloadShape(SyncEntityType::draftInvoice).field("snapshotData");
    ASSERT_NE(snapshot, nullptr);
    EXPECT_EQ(snapshot->nested->name, "InvoiceSnapshotPayload");
    EXPECT_EQ(payloadShape(SyncEntityType::invoiceSchedule).field("lines")->type,
              PayloadValueType::objectArray);
}

TEST(PayloadValidatorTest, RealisticRecordsFit) {
    EXPECT_EQ(firstViolation(SyncEntityType::draftInvoice, draftInvoice()), "past");
    EXPECT_EQ(firstViolation(SyncEntityType::invoiceSchedule, invoiceSchedule()), "past");
    EXPECT_EQ(firstViolation(SyncEntityType::invoiceLine, ordered_json::parse(R"({
        "id": "r-1", "invoiceId": "f-1", "sortOrder": 0, "description": "Ontwerp", "lineMode": "hours_rate",
        "quantityHundredths": 250, "unitPriceCents": 8500, "vatTreatmentOverride": "verlegd",
        "createdAt": "2026-03-02T09:00:00Z", "updatedAt": "2026-03-02T09:00:00Z", "revision": 1.0})")),
              "past");
    EXPECT_EQ(firstViolation(SyncEntityType::kvitraRule, ordered_json::parse(R"({
        "id": "r", "organizationId": "o", "senderEmailPattern": "*@kpn.nl", "suggestedCategory": "telefoon",
        "isSkip": false, "matchCount": 4, "createdAt": "t", "updatedAt": "t", "revision": 2, "extra": [1]})")),
              "past");  // members the shape does not list are ignored
}

TEST(PayloadValidatorTest, ReportsTheFirstViolationInDeclarationOrder) {
    struct Case {
        SyncEntityType type;
        ordered_json (*base)();
        const char* key;
        ordered_json value;  // discarded = remove the member
        const char* expected;
    };
    const ordered_json remove = ordered_json(nlohmann::detail::value_t::discarded);
    const Case cases[] = {
        {SyncEntityType::draftInvoice, draftInvoice, "organizationId", remove, "organizationId: ontbreekt"},
        {SyncEntityType::draftInvoice, draftInvoice, "totalCents", "121000", "totalCents: verwacht integer"},
        {SyncEntityType::draftInvoice, draftInvoice, "totalCents", 1210.5, "totalCents: verwacht integer"},
        {SyncEntityType::draftInvoice, draftInvoice, "revision", nullptr, "revision: verwacht integer"},
        {SyncEntityType::draftInvoice, draftInvoice, "vatTreatment", "nl_22",
         R"(vatTreatment: onbekende waarde "nl_22")"},
        {SyncEntityType::draftInvoice, draftInvoice, "syncState", "dirty",
         R"(syncState: onbekende waarde "dirty")"},
        {SyncEntityType::draftInvoice, draftInvoice, "emailBounced", "false",
         "emailBounced: verwacht boolean"},
        {SyncEntityType::draftInvoice, draftInvoice, "snapshotData", "{}", "snapshotData: verwacht object"},
        {SyncEntityType::draftInvoice, draftInvoice, "layoutConfig", "any text will do", "past"},
        {SyncEntityType::invoiceSchedule, invoiceSchedule, "workdays", {{"ma", 8}}, "workdays.di: ontbreekt"},
        {SyncEntityType::invoiceSchedule,
         invoiceSchedule,
         "lines",
         {{{"id", "x"}}},
         "lines[0].description: ontbreekt"},
        {SyncEntityType::invoiceSchedule, invoiceSchedule, "lines", {1}, "lines[0]: verwacht object"},
        {SyncEntityType::invoiceSchedule, invoiceSchedule, "lines", {{"id", "x"}}, "lines: verwacht array"},
        {SyncEntityType::invoiceSchedule, invoiceSchedule, "startDate", nullptr, "past"},
    };
    for (const Case& c : cases) {
        ordered_json payload = c.base();
        if (c.value.is_discarded()) {
            payload.erase(c.key);
        } else {
            payload[c.key] = c.value;
        }
        EXPECT_EQ(firstViolation(c.type, payload), c.expected) << c.key;
    }

    // Two faults: the one declared first is reported, whatever the order of the members.
    ordered_json twice = draftInvoice();
    twice.erase("id");
    twice["updatedAt"] = 5;
    EXPECT_EQ(firstViolation(SyncEntityType::draftInvoice, twice), "id: ontbreekt");
    twice["id"] = "f-1";  // now last in the object, still found
    EXPECT_EQ(firstViolation(SyncEntityType::draftInvoice, twice), "updatedAt: verwacht string");
    twice["snapshotData"].erase("orgName");
    EXPECT_EQ(firstViolation(SyncEntityType::draftInvoice, twice), "snapshotData.orgName: ontbreekt");
    EXPECT_EQ(firstViolation(SyncEntityType::customer, "klant"), "verwacht object");
}

TEST(PayloadValidatorTest, PartialPayloadsOnlyCheckWhatTheyCarry) {
    const ordered_json update = {{"description", "Nieuw"}, {"unitPriceCents", 9000}};
    EXPECT_EQ(firstViolation(SyncEntityType::invoiceLine, update, PayloadCoverage::partial), "past");
    EXPECT_EQ(firstViolation(SyncEntityType::invoiceLine, update), "id: ontbreekt");
    EXPECT_EQ(firstViolation(SyncEntityType::invoiceLine, ordered_json::object(), PayloadCoverage::partial),
              "past");
    EXPECT_EQ(
        firstViolation(SyncEntityType::invoiceLine, {{"description", nullptr}}, PayloadCoverage::partial),
        "description: verwacht string");
    EXPECT_EQ(firstViolation(SyncEntityType::invoiceLine, {{"lineMode", "uren"}}, PayloadCoverage::partial),
              R"(lineMode: onbekende waarde "uren")");
    // A nested value is always written whole.
    EXPECT_EQ(firstViolation(SyncEntityType::draftInvoice, {{"snapshotData", {{"orgName", "S"}}}},
                             PayloadCoverage::partial),
              "snapshotData.orgAddress: ontbreekt");
}

TEST(PayloadValidatorTest, EveryFormOfThePayloadGetsTheSameAnswer) {
    ordered_json payload = invoiceSchedule();
    payload["lines"][0]["amountCents"] = 15.5;
    const std::string expected = "lines[0].amountCents: verwacht integer";
    EXPECT_EQ(firstViolation(SyncEntityType::invoiceSchedule, payload), expected);
    EXPECT_EQ(validatePayload(SyncEntityType::invoiceSchedule, nlohmann::json(payload))->message(), expected);
    EXPECT_EQ(validatePayload(SyncEntityType::invoiceSchedule, JSONValue::fromJson(payload))->message(),
              expected);
    EXPECT_EQ(validatePayload(SyncEntityType::invoiceSchedule, nlohmann::json(invoiceSchedule())),
              std::nullopt);
    EXPECT_EQ(validatePayload(SyncEntityType::invoiceSchedule, JSONValue::fromJson(invoiceSchedule())),
              std::nullopt);
    // The unsigned integers of the JSON library count only within 64 signed bits.
    EXPECT_EQ(firstViolation(SyncEntityType::kvitraRule, {{"matchCount", std::uint64_t{1} << 63}},
                             PayloadCoverage::partial),
              "matchCount: verwacht integer");
}

}  // namespace
}  // namespace zelvorin
