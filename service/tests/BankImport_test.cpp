#include "service/bank/BankImportActions.h"

#include "service/bank/BankMatchActions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoicePaymentActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;
using Json = nlohmann::ordered_json;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};
const std::filesystem::path kStatements = ZELVORIN_STATEMENTS_DIR;

class BankImportIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, year{2026} / March / 16)); }

    std::vector<StoredRecord> live(const std::string& type,
                                   const std::string& organizationId = demoOrganizationId()) {
        return database.read([&](Connection& db) {
            std::vector<StoredRecord> kept;
            for (StoredRecord& record : records::all(db, organizationId, type))
                if (!record.deleted) kept.push_back(std::move(record));
            return kept;
        });
    }
    StoredRecord invoiceNumbered(const std::string& number) {
        for (StoredRecord& invoice : live("draftInvoice"))
            if (invoice.payload.value("invoiceNumber", "") == number) return invoice;
        ADD_FAILURE() << number;
        return {};
    }
    std::vector<StoredRecord> transactionsMentioning(const std::string& text) {
        std::vector<StoredRecord> found;
        for (StoredRecord& transaction : live("bankTransaction"))
            if (transaction.payload.value("description", "").find(text) != std::string::npos)
                found.push_back(std::move(transaction));
        return found;
    }
    std::int64_t lastSequence() {
        return database.read([](Connection& db) { return records::lastSequence(db); });
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    const Caller caller{demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
};

TEST_F(BankImportIntegrationTest, ImportsOnceMatchesWhatLeavesNoDoubtAndLeavesTheRestForReview) {
    const std::size_t before = live("bankTransaction").size();
    const std::string camt = testing::readFile(kStatements / "demo-maart.camt053.xml");

    BankImportOutcome outcome = importStatement(database, caller, camt, kNow);
    EXPECT_EQ(outcome.imported, 4);
    EXPECT_EQ(outcome.skipped, 0);
    EXPECT_EQ(outcome.matched, 1);
    EXPECT_EQ(live("bankTransaction").size(), before + 4);

    // FAC-2026-0017 named with its whole amount: linked, paid, its payment registered by transfer.
    const StoredRecord paid = invoiceNumbered("FAC-2026-0017");
    EXPECT_EQ(paid.payload["status"], "paid");
    const auto linked = transactionsMentioning("FAC-2026-0017");
    ASSERT_EQ(linked.size(), 1u);
    EXPECT_EQ(linked[0].payload["matchedInvoiceId"], paid.id);
    EXPECT_EQ(linked[0].payload["direction"], "in");
    EXPECT_EQ(linked[0].payload["amountCents"], 245500);
    EXPECT_EQ(linked[0].payload["bankAccountId"], live("bankAccount")[0].id);  // the statement's IBAN
    int payments = 0;
    for (const StoredRecord& payment : live("invoicePayment"))
        if (payment.payload["invoiceId"] == paid.id) {
            ++payments;
            EXPECT_EQ(payment.payload["amountCents"], 245500);
            EXPECT_EQ(payment.payload["paymentDate"], "2026-03-13");
            EXPECT_EQ(payment.payload["method"], "bank_transfer");
        }
    EXPECT_EQ(payments, 1);

    // FAC-2026-0019 named with less than its open amount: a person decides.
    EXPECT_EQ(invoiceNumbered("FAC-2026-0019").payload["status"], "sent");
    const auto partial = transactionsMentioning("FAC-2026-0019");
    ASSERT_EQ(partial.size(), 1u);
    EXPECT_FALSE(partial[0].payload.contains("matchedInvoiceId"));

    // The same file again, and again after the payment: nothing new, nothing paid twice.
    const std::int64_t sequence = lastSequence();
    outcome = importStatement(database, caller, camt, kNow + hours{1});
    EXPECT_EQ(outcome.imported, 0);
    EXPECT_EQ(outcome.skipped, 4);
    EXPECT_EQ(lastSequence(), sequence);
}

TEST_F(BankImportIntegrationTest, OverlappingStatementsImportOnlyWhatIsNew) {
    // An export of the same account whose lines carry no bank reference: known by what they say.
    const std::string march =
        "\"Datum\",\"Naam / Omschrijving\",\"Rekening\",\"Tegenrekening\",\"Code\",\"Af Bij\",\"Bedrag "
        "(EUR)\","
        "\"Mutatiesoort\",\"Mededelingen\"\n"
        "\"20260310\",\"Koffiebar "
        "Centraal\",\"NL03RABO0312456789\",\"\",\"BA\",\"Af\",\"3,20\",\"Betaalautomaat\",\"Koffie\"\n"
        "\"20260310\",\"Koffiebar "
        "Centraal\",\"NL03RABO0312456789\",\"\",\"BA\",\"Af\",\"3,20\",\"Betaalautomaat\",\"Koffie\"\n";
    BankImportOutcome outcome = importStatement(database, caller, march, kNow);
    EXPECT_EQ(outcome.imported, 2);  // two equal coffees on one day are two

    const std::string later =
        march +
        "\"20260311\",\"Koffiebar Centraal\",\"NL03RABO0312456789\",\"\",\"BA\",\"Af\",\"3,20\","
        "\"Betaalautomaat\",\"Koffie\"\n"
        "\"20260310\",\"Koffiebar Centraal\",\"NL03RABO0312456789\",\"\",\"BA\",\"Af\",\"3,20\","
        "\"Betaalautomaat\",\"Koffie\"\n";
    outcome = importStatement(database, caller, later, kNow);
    EXPECT_EQ(outcome.skipped, 2);
    EXPECT_EQ(outcome.imported, 2);  // the next day's, and a third on the tenth
    EXPECT_EQ(transactionsMentioning("Koffie").size(), 4u);

    // The MT940 of the same account: one line pays FAC-2026-0016 exactly; a statement for an
    // account the organisation did not have gets one.
    outcome = importStatement(database, caller, testing::readFile(kStatements / "demo-maart.mt940"), kNow);
    EXPECT_EQ(outcome.imported, 3);
    EXPECT_EQ(outcome.matched, 1);
    EXPECT_EQ(invoiceNumbered("FAC-2026-0016").payload["status"], "paid");
    const std::size_t accounts = live("bankAccount").size();
    std::string elsewhere = testing::readFile(kStatements / "demo-maart.mt940");
    elsewhere.replace(elsewhere.find("NL03RABO0312456789"), 18, "NL02ABNA0123456789");
    outcome = importStatement(database, caller, elsewhere, kNow);
    EXPECT_EQ(outcome.imported, 3);  // the same references on another account are other entries
    EXPECT_EQ(outcome.matched, 0);   // FAC-2026-0016 has nothing open any more
    EXPECT_EQ(live("bankAccount").size(), accounts + 1);
}

TEST_F(BankImportIntegrationTest, MatchingStaysWithinTheOrganisationAndWithinDoubt) {
    // Two numbers in one text, an invoice of the other organisation, a credit transfer going out
    // with an invoice's number: none of them is linked.
    const std::string statement =
        "\"IBAN/BBAN\",\"Munt\",\"Volgnr\",\"Datum\",\"Bedrag\",\"Naam tegenpartij\",\"Tegenrekening "
        "IBAN/BBAN\","
        "\"Omschrijving-1\"\n"
        "\"NL03RABO0312456789\",\"EUR\",\"1\",\"2026-03-12\",\"+2455,00\",\"Brandt\",\"\",\"FAC-2026-0017 "
        "FAC-2026-0020\"\n"
        "\"NL03RABO0312456789\",\"EUR\",\"2\",\"2026-03-12\",\"-1532,02\",\"Terugboeking\",\"\",\"FAC-2026-"
        "0020\"\n";
    const Caller other{demoOwnerUserId(), secondOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    BankImportOutcome outcome = importStatement(database, other, statement, kNow);
    EXPECT_EQ(outcome.matched, 0);
    outcome = importStatement(database, caller, statement, kNow);
    EXPECT_EQ(outcome.imported, 2);
    EXPECT_EQ(outcome.matched, 0);
    EXPECT_EQ(invoiceNumbered("FAC-2026-0017").payload["status"], "sent");
    EXPECT_EQ(invoiceNumbered("FAC-2026-0020").payload["status"], "sent");
}

int statusOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ServiceError& error) {
        return error.httpStatus();
    }
    return 0;
}

TEST_F(BankImportIntegrationTest, ALinkMadeByHandPaysTheInvoiceOnceAndUndoingItReopensIt) {
    importStatement(database, caller, testing::readFile(kStatements / "demo-maart.camt053.xml"), kNow);
    const std::string partial = transactionsMentioning("Eerste deel van FAC-2026-0019")[0].id;
    const StoredRecord invoice = invoiceNumbered("FAC-2026-0019");

    const Json suggestion = suggestMatch(database, caller, partial);
    EXPECT_EQ(suggestion["invoiceId"], invoice.id);
    EXPECT_EQ(suggestion["isPartial"], true);
    EXPECT_NE(suggestion["matchReason"].get<std::string>().find("FAC-2026-0019"), std::string::npos);
    const std::string debit = transactionsMentioning("Abonnement mobiel")[0].id;
    EXPECT_TRUE(suggestMatch(database, caller, debit)["invoiceId"].is_null());

    const Caller stranger{demoOwnerUserId(), secondOrganizationId(), "apparaat-b", "sessie", std::nullopt};
    EXPECT_EQ(
        statusOf([&] { matchTransaction(database, stranger, partial, invoice.id, std::nullopt, kNow); }),
        404);
    EXPECT_EQ(statusOf([&] { matchTransaction(database, caller, debit, invoice.id, std::nullopt, kNow); }),
              422);
    EXPECT_EQ(statusOf([&] { matchTransaction(database, caller, partial, invoice.id, "incoming", kNow); }),
              422);

    matchTransaction(database, caller, partial, invoice.id, std::nullopt, kNow);
    EXPECT_EQ(invoiceNumbered("FAC-2026-0019").payload["status"], "partiallyPaid");
    EXPECT_EQ(statusOf([&] { matchTransaction(database, caller, partial, invoice.id, std::nullopt, kNow); }),
              409);
    const auto payments = [&] {
        int count = 0;
        for (const StoredRecord& payment : live("invoicePayment"))
            count += payment.payload["invoiceId"] == invoice.id;
        return count;
    };
    EXPECT_EQ(payments(), 1);

    unmatchTransaction(database, caller, partial, kNow);
    EXPECT_EQ(invoiceNumbered("FAC-2026-0019").payload["status"], "sent");
    EXPECT_EQ(payments(), 0);
    EXPECT_FALSE(
        transactionsMentioning("Eerste deel van FAC-2026-0019")[0].payload.contains("matchedInvoiceId"));
    EXPECT_EQ(statusOf([&] { unmatchTransaction(database, caller, partial, kNow); }), 409);

    // The link the import made undoes the same way; a later link may pay the invoice again.
    const std::string automatic = transactionsMentioning("FAC-2026-0017")[0].id;
    unmatchTransaction(database, caller, automatic, kNow);
    EXPECT_NE(invoiceNumbered("FAC-2026-0017").payload["status"], "paid");
    EXPECT_FALSE(invoiceNumbered("FAC-2026-0017").payload.contains("paidAt"));
    matchTransaction(database, caller, automatic, invoiceNumbered("FAC-2026-0017").id, "invoice", kNow);
    EXPECT_EQ(invoiceNumbered("FAC-2026-0017").payload["status"], "paid");
}

TEST_F(BankImportIntegrationTest, AFileThatCannotBeReadWritesNothing) {
    const std::int64_t sequence = lastSequence();
    std::string broken = testing::readFile(kStatements / "demo-maart.camt053.xml");
    broken.replace(broken.find("65.34"), 5, "65,340");
    try {
        importStatement(database, caller, broken, kNow);
        ADD_FAILURE() << "imported";
    } catch (const ServiceError& error) {
        EXPECT_EQ(error.httpStatus(), 400);
    }
    EXPECT_EQ(lastSequence(), sequence);
}

}  // namespace
}  // namespace zelvorin::service
