#include "service/bank/BankRules.h"

#include <gtest/gtest.h>

#include <functional>

#include "service/bank/BankImportActions.h"
#include "service/bank/LinkSearch.h"
#include "service/http/ServiceError.h"
#include "service/seed/DemoSeed.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;
using Json = nlohmann::ordered_json;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};
constexpr const char* kSavings = "NL91ABNA0417164300";

// A statement of the demo's current account in the signed-amount CSV layout, one line per entry:
// {sequence, amount, counterparty, counterparty IBAN, description}.
std::string currentAccountStatement(const std::vector<std::array<std::string, 5>>& entries) {
    std::string csv =
        "\"IBAN/BBAN\",\"Munt\",\"Volgnr\",\"Datum\",\"Bedrag\",\"Naam tegenpartij\",\"Tegenrekening "
        "IBAN/BBAN\","
        "\"Omschrijving-1\"\n";
    for (const auto& [sequence, amount, name, iban, description] : entries)
        csv += "\"NL03RABO0312456789\",\"EUR\",\"" + sequence + "\",\"2026-03-12\",\"" + amount + "\",\"" +
               name + "\",\"" + iban + "\",\"" + description + "\"\n";
    return csv;
}

int statusOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ServiceError& error) {
        return error.httpStatus();
    }
    return 0;
}

class BankRulesIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(seedDemo(database, year{2026} / March / 16));
        // The savings account becomes the organisation's own through a statement of it.
        importStatement(database, caller,
                        "\"IBAN/BBAN\",\"Munt\",\"Volgnr\",\"Datum\",\"Bedrag\",\"Naam tegenpartij\","
                        "\"Tegenrekening IBAN/BBAN\",\"Omschrijving-1\"\n\"" +
                            std::string(kSavings) +
                            "\",\"EUR\",\"1\",\"2026-03-01\",\"+0,25\",\"\",\"\",\"Rente\"\n",
                        kNow);
        const BankImportOutcome outcome = importStatement(
            database, caller,
            currentAccountStatement({{"11", "-61,20", "Tankstation De Pomp", "", "Tanken"},
                                     {"12", "-48,10", "TANKSTATION  de pomp", "", "Tanken"},
                                     {"13", "-55,00", "Tankstation De Pomp B.V.", "", "Tanken"},
                                     {"14", "-500,00", "Eigen spaarrekening", kSavings, "Sparen"},
                                     {"15", "-12,50", "Bakker Bart", "", "Lunch"}}),
            kNow);
        ASSERT_EQ(outcome.imported, 5);
    }

    std::vector<Json> transactionsOf(const std::string& counterpartyPart) {
        return database.read([&](Connection& db) {
            std::vector<Json> found;
            for (const StoredRecord& record :
                 records::all(db, demoOrganizationId(), std::string("bankTransaction")))
                if (!record.deleted &&
                    record.payload.value("counterpartyName", "").find(counterpartyPart) != std::string::npos)
                    found.push_back(record.payload);
            return found;
        });
    }
    static const Json* suggestion(const Json& overview, const std::string& type) {
        for (const Json& item : overview["suggestions"])
            if (item["type"] == type) return &item;
        return nullptr;
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    const Caller caller{demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    const Caller other{demoOwnerUserId(), secondOrganizationId(), "apparaat-a", "sessie", std::nullopt};
};

TEST_F(BankRulesIntegrationTest, RepeatedCounterpartiesAndOwnAccountsAreSuggestedAndARuleSetsThemAside) {
    Json overview = bankRulesOverview(database, caller);
    EXPECT_TRUE(overview["rules"].empty());
    const Json* pump = suggestion(overview, "ignore_counterparty");
    ASSERT_NE(pump, nullptr) << overview.dump();
    EXPECT_EQ((*pump)["transactionCount"],
              3);  // the name's case and spacing do not count; Bart once is no pattern
    EXPECT_EQ((*pump)["enabled"], false);
    const Json* transfer = suggestion(overview, "internal_transfer");
    ASSERT_NE(transfer, nullptr);
    EXPECT_EQ((*transfer)["pattern"], kSavings);
    EXPECT_EQ((*transfer)["transactionCount"], 1);

    EXPECT_EQ(activateBankRule(database, caller, (*pump)["pattern"].get<std::string>(), kNow)["count"], 3);
    for (const Json& transaction : transactionsOf("omp"))
        EXPECT_EQ(transaction["category"], "genegeerd");
    EXPECT_FALSE(transactionsOf("Bart").at(0).contains("category") &&
                 !transactionsOf("Bart").at(0)["category"].is_null());
    EXPECT_EQ(activateBankRule(database, caller, kSavings, kNow)["count"], 1);
    EXPECT_EQ(transactionsOf("spaarrekening").at(0)["category"], "__INTERNAL_TRANSFER__");
    // Switching a suggestion on again finds nothing left to do.
    EXPECT_EQ(activateBankRule(database, caller, kSavings, kNow)["count"], 0);

    overview = bankRulesOverview(database, caller);
    ASSERT_EQ(overview["rules"].size(), 2u);
    EXPECT_EQ(overview["rules"][0]["matchCount"], 3);
    EXPECT_EQ(overview["rules"][0]["isInternalTransfer"], false);
    EXPECT_EQ(overview["rules"][1]["isInternalTransfer"], true);
    EXPECT_EQ(overview["rules"][1]["counterpartyIban"], kSavings);
    EXPECT_EQ(suggestion(overview, "ignore_counterparty"), nullptr);
    EXPECT_EQ((*suggestion(overview, "internal_transfer"))["enabled"], true);

    // What arrives later from the counterparty is set aside on import.
    const BankImportOutcome next = importStatement(
        database, caller, currentAccountStatement({{"21", "-70,00", "Tankstation De Pomp", "", "Tanken"}}),
        kNow);
    EXPECT_EQ(next.categorised, 1);
    EXPECT_EQ(transactionsOf("omp").size(), 4u);
    for (const Json& transaction : transactionsOf("omp"))
        EXPECT_EQ(transaction["category"], "genegeerd");

    // A rule removed leaves the categories it gave.
    deleteBankRule(database, caller, overview["rules"][0]["id"]);
    EXPECT_EQ(bankRulesOverview(database, caller)["rules"].size(), 1u);
    EXPECT_EQ(transactionsOf("omp").at(0)["category"], "genegeerd");
}

TEST_F(BankRulesIntegrationTest,
       CategorisingWithARuleTakesTheCounterpartysOthersAlongAndBadInputChangesNothing) {
    const std::string first = transactionsOf("omp").at(0)["id"];
    const Json answer =
        categorizeTransaction(database, caller, first, " zakelijk ", true, std::nullopt, kNow);
    EXPECT_EQ(answer["count"], 3);
    for (const Json& transaction : transactionsOf("omp"))
        EXPECT_EQ(transaction["category"], "zakelijk");
    EXPECT_EQ(bankRulesOverview(database, caller)["rules"].size(), 1u);

    const std::string bart = transactionsOf("Bart").at(0)["id"];
    EXPECT_EQ(
        statusOf([&] { categorizeTransaction(database, caller, bart, "  ", false, std::nullopt, kNow); }),
        422);
    EXPECT_EQ(statusOf([&] {
                  categorizeTransaction(database, caller, bart, std::string(65, 'x'), false, std::nullopt,
                                        kNow);
              }),
              422);
    EXPECT_EQ(statusOf([&] {
                  categorizeTransaction(database, other, bart, "zakelijk", false, std::nullopt, kNow);
              }),
              404);
    EXPECT_EQ(
        statusOf([&] { categorizeTransaction(database, caller, "onbekend", "zakelijk", false, {}, kNow); }),
        404);
    // A second rule for the same counterparty is refused, and the categorisation with it is undone.
    EXPECT_EQ(statusOf([&] {
                  categorizeTransaction(database, caller, bart, "prive", true, "TANKSTATION DE POMP", kNow);
              }),
              409);
    EXPECT_FALSE(transactionsOf("Bart").at(0).value("category", Json()).is_string());
    EXPECT_EQ(statusOf([&] { addBankRule(database, caller, "   ", std::nullopt, kNow); }), 422);
    EXPECT_EQ(statusOf([&] { deleteBankRule(database, caller, "onbekend"); }), 404);
    // Another organisation sees none of it.
    EXPECT_TRUE(bankRulesOverview(database, other)["rules"].empty());
}

TEST_F(BankRulesIntegrationTest, TheInvoicesToLinkAreFoundByNumberOrCustomerAndAccountsAreRenamed) {
    const Json found = searchInvoicesToLink(database, caller, "fac-2026-001", std::nullopt)["results"];
    ASSERT_FALSE(found.empty());
    for (const Json& result : found) {
        EXPECT_NE(result["invoiceNumber"].get<std::string>().find("FAC-2026-001"), std::string::npos);
        EXPECT_EQ(result["type"], "invoice");
        EXPECT_GT(result["totalCents"].get<std::int64_t>(), 0);
    }
    EXPECT_TRUE(searchInvoicesToLink(database, other, "fac-2026-001", std::nullopt)["results"].empty());
    EXPECT_EQ(statusOf([&] { searchInvoicesToLink(database, caller, "  ", std::nullopt); }), 422);
    EXPECT_EQ(statusOf([&] { searchInvoicesToLink(database, caller, "fac", "sideways"); }), 422);

    const std::string savings = database.read([&](Connection& db) {
        for (const StoredRecord& account : records::all(db, demoOrganizationId(), std::string("bankAccount")))
            if (account.payload.value("iban", "") == kSavings) return account.id;
        return std::string();
    });
    const Json renamed = updateBankAccount(database, caller, savings, " Spaarrekening ", "savings", kNow);
    EXPECT_EQ(renamed["name"], "Spaarrekening");
    EXPECT_EQ(renamed["type"], "savings");
    EXPECT_EQ(statusOf([&] { updateBankAccount(database, caller, savings, std::nullopt, "gold", kNow); }),
              422);
    EXPECT_EQ(statusOf([&] { updateBankAccount(database, caller, savings, "", std::nullopt, kNow); }), 422);
    EXPECT_EQ(statusOf([&] { updateBankAccount(database, other, savings, "X", std::nullopt, kNow); }), 404);
}

}  // namespace
}  // namespace zelvorin::service
