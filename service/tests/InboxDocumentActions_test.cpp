// What a person does with a document in the inbox besides reading it: a self-billed invoice made
// from it, an order confirmation handled, the folders of the inbox, and the preview image.
#include <gtest/gtest.h>

#include <functional>

#include "service/http/ServiceError.h"
#include "service/inbox/InboxActions.h"
#include "service/inbox/InboxItemActions.h"
#include "service/inbox/InboxSettings.h"
#include "service/inbox/ReverseBilling.h"
#include "service/org/IntegrationActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;
using Json = nlohmann::ordered_json;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

std::string sample(const std::string& name) {
    return testing::readFile(std::filesystem::path(ZELVORIN_INTELLIGENCE_SAMPLES) / name);
}

ErrorKind refusalOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ServiceError& error) {
        return error.kind();
    }
    return ErrorKind::internal;
}

std::int64_t excl(const std::vector<BilledPortion>& portions, const std::string& treatment) {
    for (const BilledPortion& portion : portions)
        if (portion.vatTreatment == treatment) return portion.exclCents;
    return -1;
}

TEST(ReverseBillingPortionsTest, TheTotalSplitsByTheVatTheDocumentNames) {
    // 100,00 + 21,00 VAT: exactly one line at 21 %.
    auto portions = reverseBillingPortions(12100, Json::array({{{"rate", 21.0}, {"amount", 21.0}}}));
    ASSERT_EQ(portions.size(), 1u);
    EXPECT_EQ(excl(portions, "nl_21"), 10000);

    // 50,00 at 21 % and 20,00 at 9 % (VAT 10,50 and 1,80): each base from its VAT, no 0 % line.
    portions = reverseBillingPortions(
        8230, Json::array({{{"rate", 21}, {"amount", 10.5}}, {{"rate", 9}, {"amount", 1.8}}}));
    ASSERT_EQ(portions.size(), 2u);
    EXPECT_EQ(excl(portions, "nl_21"), 5000);
    EXPECT_EQ(excl(portions, "nl_9"), 2000);

    // A cent of rounding (VAT 3,47 on 16,52 = 3,4692) stays in the base; what the rates leave
    // over beyond that was not taxed.
    portions = reverseBillingPortions(1999, Json::array({{{"rate", 21}, {"amount", 3.47}}}));
    ASSERT_EQ(portions.size(), 1u);
    EXPECT_EQ(excl(portions, "nl_21") + 347, 1999);
    portions = reverseBillingPortions(
        13100, Json::array({{{"rate", 21}, {"amount", 21}}, {{"rate", 0}, {"amount", 0}}}));
    EXPECT_EQ(excl(portions, "nl_21"), 10000);
    EXPECT_EQ(excl(portions, "nl_0"), 1000);

    // Nothing named: the total is taken to include 21 %.
    portions = reverseBillingPortions(12100, Json::array());
    ASSERT_EQ(portions.size(), 1u);
    EXPECT_EQ(excl(portions, "nl_21"), 10000);
}

TEST(ReverseBillingPortionsTest, AmountsThatCannotBeAnInvoiceAreRefused) {
    const auto refused = [](std::int64_t total, Json breakdown) {
        return refusalOf([&] { reverseBillingPortions(total, breakdown); });
    };
    EXPECT_EQ(refused(0, Json::array()), ErrorKind::unprocessable);
    EXPECT_EQ(refused(-500, Json::array()), ErrorKind::unprocessable);
    EXPECT_EQ(refused(11900, Json::array({{{"rate", 19}, {"amount", 19}}})), ErrorKind::unprocessable);
    EXPECT_EQ(refused(1000, Json::array({{{"rate", 21}, {"amount", 21}}})), ErrorKind::unprocessable);
}

class InboxDocumentActionsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, year{2026} / March / 16)); }

    std::string upload(const std::string& name, std::string bytes) {
        const StoredUpload stored = storeInboxDocument(
            database, caller, {std::nullopt, "upload", false, name, std::move(bytes)}, kNow);
        return stored.ids.at(0);
    }
    std::optional<StoredRecord> record(const char* type, const std::string& id) {
        return database.read(
            [&](Connection& db) { return records::find(db, demoOrganizationId(), type, id); });
    }
    std::size_t invoiceCount() {
        return database.read([&](Connection& db) {
            return records::all(db, demoOrganizationId(), std::string("draftInvoice")).size();
        });
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    Caller caller{demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    Caller stranger{demoOwnerUserId(), secondOrganizationId(), "apparaat-a", "sessie", std::nullopt};
};

TEST_F(InboxDocumentActionsIntegrationTest, ASelfBilledInvoiceIsMadeOnceForTheSendersCustomer) {
    const std::string id = upload("afrekening.jpg", sample("receipt-photo.jpg"));
    const std::size_t invoices = invoiceCount();

    // No customer carries the sender's name yet: refused, nothing written.
    correctInboxItem(database, caller, id, Json{{"extractedSenderCompany", "Onbekend Bedrijf"}}, kNow);
    const std::int64_t revision = record("incomingInvoice", id)->revision;
    EXPECT_EQ(refusalOf([&] { createReverseBilling(database, caller, id, kNow); }), ErrorKind::unprocessable);
    EXPECT_EQ(record("incomingInvoice", id)->revision, revision);
    EXPECT_EQ(invoiceCount(), invoices);

    correctInboxItem(database, caller, id,
                     Json{{"extractedSenderCompany", "bakkerij van dam b.v."},
                          {"extractedAmount", 8230},
                          {"extractedInvoiceDate", "2026-03-14"}},
                     kNow);
    database.write([&](Connection& db) {
        Json payload = records::find(db, demoOrganizationId(), "incomingInvoice", id)->payload;
        payload["extractedVatBreakdown"] =
            Json::array({{{"rate", 21}, {"amount", 10.5}}, {{"rate", 9}, {"amount", 1.8}}});
        payload["extractedInvoiceNumber"] = "AF-2026-031";
        writeRecord(db, {demoOrganizationId(), SyncEntityType::incomingInvoice, id, RecordOperation::put,
                         payload, kNow, Actor{ChangeSource::service, std::nullopt, "test"}, std::nullopt});
    });
    EXPECT_EQ(refusalOf([&] { createReverseBilling(database, stranger, id, kNow); }), ErrorKind::notFound);

    const std::string invoiceId = createReverseBilling(database, caller, id, kNow);
    const StoredRecord invoice = *record("draftInvoice", invoiceId);
    EXPECT_EQ(invoice.payload["status"], "draft");
    EXPECT_EQ(invoice.payload["issueDate"], "2026-03-14");
    EXPECT_EQ(invoice.payload["subtotalCents"], 7000);
    EXPECT_EQ(invoice.payload["totalCents"], 8230);
    EXPECT_EQ(invoice.payload["projectDescription"], "Zelffactuur bij document AF-2026-031");
    const StoredRecord customer = *record("customer", invoice.payload["customerId"].get<std::string>());
    EXPECT_EQ(customer.payload["companyName"], "Bakkerij Van Dam B.V.");
    const auto lines = database.read([&](Connection& db) {
        return records::ofInvoice(db, demoOrganizationId(), "invoiceLine", invoiceId);
    });
    ASSERT_EQ(lines.size(), 2u);

    const Json item = record("incomingInvoice", id)->payload;
    EXPECT_EQ(item["outgoingInvoiceId"], invoiceId);
    EXPECT_EQ(item["customerId"], invoice.payload["customerId"]);
    EXPECT_EQ(refusalOf([&] { createReverseBilling(database, caller, id, kNow); }), ErrorKind::conflict);
    EXPECT_EQ(invoiceCount(), invoices + 1);
}

TEST_F(InboxDocumentActionsIntegrationTest, AnOrderConfirmationIsLinkedRemindedOrPutAway) {
    const std::string order = upload("bevestiging.jpg", sample("receipt-photo.jpg"));
    const std::string invoice = upload("factuur.jpg", sample("invoice-photo.jpg"));
    const std::int64_t revision = record("incomingInvoice", order)->revision;
    for (const Json& body :
         {Json{{"action", "bewaar"}}, Json{{"action", "remind"}, {"preset", "3d"}}, Json{{"action", "link"}},
          Json{{"action", "link"}, {"linkedId", order}}, Json{{"action", "link"}, {"linkedId", "weg"}}}) {
        EXPECT_EQ(refusalOf([&] { confirmOrderInboxItem(database, caller, order, body, kNow); }),
                  ErrorKind::unprocessable)
            << body.dump();
    }
    EXPECT_EQ(record("incomingInvoice", order)->revision, revision);
    EXPECT_EQ(refusalOf([&] {
                  confirmOrderInboxItem(database, stranger, order, Json{{"action", "dismiss"}}, kNow);
              }),
              ErrorKind::notFound);

    confirmOrderInboxItem(database, caller, order,
                          Json{{"action", "link"}, {"preset", nullptr}, {"linkedId", invoice}}, kNow);
    confirmOrderInboxItem(database, caller, order,
                          Json{{"action", "remind"}, {"preset", "2w"}, {"linkedId", nullptr}}, kNow);
    Json item = record("incomingInvoice", order)->payload;
    EXPECT_EQ(item["invoiceType"], "orderConfirmation");
    EXPECT_EQ(item["linkedIncomingInvoiceId"], invoice);
    EXPECT_EQ(item["remindAt"], "2026-03-30T10:00:00.000Z");
    confirmOrderInboxItem(database, caller, order, Json{{"action", "dismiss"}}, kNow);
    item = record("incomingInvoice", order)->payload;
    EXPECT_FALSE(item.contains("remindAt"));
    EXPECT_EQ(item["dismissedAt"], "2026-03-16T10:00:00.000Z");
}

TEST_F(InboxDocumentActionsIntegrationTest, TheFoldersAreTheOrganisationsOwnAndABadNameChangesNone) {
    Json settings = inboxSettings(database, caller);
    EXPECT_EQ(settings["folderPrive"], "Privé");
    ASSERT_FALSE(settings["rules"].empty());
    std::int64_t previous = INT64_MAX;
    for (const Json& rule : settings["rules"]) {
        EXPECT_LE(rule["matchCount"].get<std::int64_t>(), previous);
        previous = rule["matchCount"].get<std::int64_t>();
    }

    for (const Json& body :
         {Json::object(), Json{{"kvitraFolderZakelijk", "Werk"}, {"kvitraFolderPrive", "../thuis"}},
          Json{{"kvitraFolderGemengd", ""}}, Json{{"kvitraFolderGemengd", 3}},
          Json{{"kvitraFolderZakelijk", "Werk"}, {"folder", "x"}}}) {
        EXPECT_EQ(refusalOf([&] { patchInboxSettings(database, caller, body, kNow); }),
                  ErrorKind::unprocessable)
            << body.dump();
    }
    EXPECT_EQ(inboxSettings(database, caller)["folderZakelijk"], "Zakelijk");

    patchInboxSettings(database, caller, Json{{"kvitraFolderZakelijk", "Werk 2026"}}, kNow);
    settings = inboxSettings(database, caller);
    EXPECT_EQ(settings["folderZakelijk"], "Werk 2026");
    EXPECT_EQ(settings["folderGemengd"], "Gemengd");
    EXPECT_EQ(integrationStatus(database, caller)["kvitraFolders"]["zakelijk"], "Werk 2026");
    EXPECT_EQ(inboxSettings(database, stranger)["folderZakelijk"], "Zakelijk");
}

// Width and height from a PNG's header.
std::pair<int, int> pngSize(const std::string& png) {
    const auto be32 = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(png.at(at + i));
        return value;
    };
    return {be32(16), be32(20)};
}

TEST_F(InboxDocumentActionsIntegrationTest, ThePreviewIsASmallPngOfPageOneMadeOnce) {
    for (const char* name : {"receipt-scan.pdf", "invoice-photo.jpg"}) {
        const std::string id = upload(name, sample(name));
        const StoredFile thumbnail = inboxThumbnail(database, caller, id, kNow);
        ASSERT_EQ(thumbnail.bytes.rfind("\x89PNG\r\n\x1A\n", 0), 0u) << name;
        const auto [width, height] = pngSize(thumbnail.bytes);
        EXPECT_EQ(std::max(width, height), 480) << name;
        EXPECT_GT(std::min(width, height), 100) << name;
        EXPECT_NE(thumbnail.bytes, inboxDocument(database, caller, id).bytes);
        EXPECT_EQ(inboxThumbnail(database, caller, id, kNow).bytes, thumbnail.bytes) << name;
        EXPECT_EQ(refusalOf([&] { inboxThumbnail(database, stranger, id, kNow); }), ErrorKind::notFound);
    }
    const std::string broken = upload("kapot.pdf", "%PDF-1.7\nniets hierna");
    EXPECT_EQ(refusalOf([&] { inboxThumbnail(database, caller, broken, kNow); }), ErrorKind::unprocessable);
}

}  // namespace
}  // namespace zelvorin::service
