#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "persistence/sqlite/Connection.h"
#include "service/btw/BtwActions.h"
#include "service/btw/VatQuarter.h"
#include "service/btw/VatQuarterCsv.h"
#include "service/http/ServiceError.h"
#include "service/seed/DemoSeed.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;
using Json = nlohmann::ordered_json;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

struct Expected {
    std::int64_t omzet = 0, btw = 0;
};

// The return written out by hand from the stored invoice lines: every line's amount and its VAT
// rounded half up on their own, credit notes taking back the lines of what they credit.
std::map<std::string, Expected> expectedRubrieken(Connection& db, const std::string& first,
                                                  const std::string& last) {
    std::map<std::string, Json> invoices;
    for (const StoredRecord& r : records::all(db, demoOrganizationId(), std::string("draftInvoice")))
        if (!r.deleted) invoices[r.id] = r.payload;
    std::map<std::string, std::vector<std::pair<std::string, std::int64_t>>> lines;  // treatment, excl
    for (const StoredRecord& r : records::all(db, demoOrganizationId(), std::string("invoiceLine"))) {
        const Json& line = r.payload;
        const Json& invoice = invoices[line["invoiceId"].get<std::string>()];
        std::int64_t excl = line.value("amountCents", std::int64_t{0});
        if (line["lineMode"] != "fixed") {
            excl = static_cast<std::int64_t>(std::floor(
                line.value("quantityHundredths", 0.0) * line.value("unitPriceCents", 0.0) / 100.0 + 0.5));
        }
        lines[line["invoiceId"]].push_back(
            {line.value("vatTreatmentOverride", invoice.value("vatTreatment", "")), excl});
    }
    std::map<std::string, Expected> sums;
    const auto add = [&](const std::string& invoiceId, int sign) {
        for (const auto& [treatment, excl] : lines[invoiceId]) {
            const int rate = treatment == "nl_21" ? 21 : treatment == "nl_9" ? 9 : 0;
            sums[treatment].omzet += sign * excl;
            sums[treatment].btw += sign * ((excl * rate + 50) / 100);
        }
    };
    const auto inQuarter = [&](const Json& payload) {
        const std::string day = payload.value("issueDate", "");
        return day >= first && day <= last;
    };
    for (const auto& [id, invoice] : invoices) {
        const std::string status = invoice.value("status", "");
        if (invoice.contains("invoiceNumber") && status != "draft" && status != "cancelled" &&
            status != "readyForFinalize" && status != "finalizing" && inQuarter(invoice))
            add(id, 1);
    }
    for (const StoredRecord& r : records::all(db, demoOrganizationId(), std::string("creditNote")))
        if (inQuarter(r.payload)) add(r.payload["creditedInvoiceId"], -1);
    return sums;
}

class BtwQuarterIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, year{2026} / March / 16)); }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    Caller caller{demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
};

TEST_F(BtwQuarterIntegrationTest, DemoQuartersEqualTheirInvoiceLinesRubriekByRubriek) {
    for (const auto& [year, quarter, first, last] :
         {std::tuple{2026, 1, "2026-01-01", "2026-03-31"}, std::tuple{2025, 4, "2025-10-01", "2025-12-31"}}) {
        SCOPED_TRACE(std::to_string(year) + " Q" + std::to_string(quarter));
        auto expected = database.read([&](Connection& db) { return expectedRubrieken(db, first, last); });
        const Json summary = quarterSummary(database, caller, year, quarter);
        EXPECT_EQ(summary["rubriek1a"]["omzetCents"], expected["nl_21"].omzet);
        EXPECT_EQ(summary["rubriek1a"]["btwCents"], expected["nl_21"].btw);
        EXPECT_EQ(summary["rubriek1b"]["omzetCents"], expected["nl_9"].omzet);
        EXPECT_EQ(summary["rubriek1b"]["btwCents"], expected["nl_9"].btw);
        EXPECT_EQ(summary["rubriek1e"]["omzetCents"], expected["nl_0"].omzet);
        EXPECT_EQ(summary["rubriek1e"]["btwCents"], 0);
        EXPECT_EQ(summary["rubriekVerlegd"]["omzetCents"], expected["verlegd"].omzet);
        EXPECT_EQ(summary["rubriekVerlegd"]["btwCents"], 0);  // the customer accounts for it
        EXPECT_EQ(summary["totalBtwAf"], expected["nl_21"].btw + expected["nl_9"].btw);
        EXPECT_EQ(
            summary["perSaldo"].get<std::int64_t>(),
            summary["totalBtwAf"].get<std::int64_t>() - summary["totalVoorbelasting"].get<std::int64_t>());
        EXPECT_EQ(summary["rubriek5b"]["btwCents"], summary["totalVoorbelasting"]);
    }
    // The demo has turnover in every rubriek of the first quarter, so the comparison above means something.
    const Json q1 = quarterSummary(database, caller, 2026, 1);
    EXPECT_GT(q1["rubriek1a"]["omzetCents"], 0);
    EXPECT_GT(q1["rubriek1b"]["omzetCents"], 0);
    EXPECT_GT(q1["rubriek1e"]["omzetCents"], 0);
    EXPECT_GT(q1["totalVoorbelasting"], 0);
    EXPECT_FALSE(q1["overigeKosten"].empty());
}

TEST_F(BtwQuarterIntegrationTest, ImpossiblePeriodsAreRefusedInDutch) {
    for (const auto& [year, quarter, text] :
         {std::tuple{2026, 5, "Kwartaal 5 bestaat niet: kies 1, 2, 3 of 4."},
          std::tuple{1899, 1, "Het jaar 1899 valt buiten 2000 tot en met 2100."},
          std::tuple{2026, 0, "Kwartaal 0 bestaat niet: kies 1, 2, 3 of 4."}}) {
        try {
            quarterSummary(database, caller, year, quarter);
            ADD_FAILURE() << "geweigerd verwacht";
        } catch (const ServiceError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::unprocessable);
            EXPECT_STREQ(error.what(), text);
        }
        EXPECT_THROW(exportQuarter(database, caller, year, quarter), ServiceError);
    }
}

TEST_F(BtwQuarterIntegrationTest, OtherCostRateMovesTheInputVatAndReachesDevices) {
    const Json before = quarterSummary(database, caller, 2026, 1);
    const Json cost = before["overigeKosten"][0];
    const std::string id = cost["transactionId"];
    const std::int64_t sequenceBefore =
        database.read([](Connection& db) { return records::lastSequence(db); });

    const int newRate = cost["vatRatePercent"] == 9 ? 21 : 9;
    const Json changed = setOtherCostVatRate(database, caller, id, newRate, kNow);
    EXPECT_EQ(changed["vatRatePercent"], newRate);
    EXPECT_EQ(changed["btwCents"], btw::includedVatCents(cost["amountCents"], newRate));

    const Json after = quarterSummary(database, caller, 2026, 1);
    EXPECT_EQ(
        after["totalVoorbelasting"].get<std::int64_t>() - before["totalVoorbelasting"].get<std::int64_t>(),
        changed["btwCents"].get<std::int64_t>() - cost["btwCents"].get<std::int64_t>());
    // Written through the change log, so devices pull the transaction's new rate.
    database.read([&](Connection& db) {
        const auto record = records::find(db, demoOrganizationId(), "bankTransaction", id);
        EXPECT_EQ(record->payload["vatRatePercent"], newRate);
        EXPECT_GT(record->sequence, sequenceBefore);
    });

    EXPECT_THROW(setOtherCostVatRate(database, caller, id, 6, kNow), ServiceError);
    const Caller stranger{demoOwnerUserId(), secondOrganizationId(), "a", "s", std::nullopt};
    try {
        setOtherCostVatRate(database, stranger, id, 21, kNow);
        ADD_FAILURE() << "een transactie van een andere organisatie";
    } catch (const ServiceError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::notFound);
    }
}

TEST_F(BtwQuarterIntegrationTest, ExportCarriesTheSummaryAndNoFormula) {
    const Json summary = quarterSummary(database, caller, 2026, 1);
    const QuarterExport exported = exportQuarter(database, caller, 2026, 1);
    EXPECT_EQ(exported.fileName, "btw-aangifte-Q1-2026.csv");
    const auto amount = [](std::int64_t cents) {
        return std::to_string(cents / 100) + "," + (cents % 100 < 10 ? "0" : "") +
               std::to_string(cents % 100);
    };
    EXPECT_NE(exported.csv.find(";" + amount(summary["rubriek1a"]["omzetCents"]) + ";" +
                                amount(summary["rubriek1a"]["btwCents"]) + ";"),
              std::string::npos);
    EXPECT_NE(exported.csv.find("Per saldo te betalen;;" + amount(summary["perSaldo"])), std::string::npos);

    for (const char* hostile : {"=HYPERLINK(\"http://x\")", "+31 20", "-2+3", "@SUM(A1)", "\tTab", "\rCR"}) {
        const std::string cell = btw::csvCell(hostile);
        const char first = cell.front() == '"' ? cell[1] : cell.front();
        EXPECT_EQ(first, '\'') << hostile;
    }
    EXPECT_EQ(btw::csvCell("Bakkerij; Van Dam"), "\"Bakkerij; Van Dam\"");
}

// The rules that the demo does not reach, on facts written out by hand.
TEST(VatQuarterTest, CashBasisLateInvoicesKorAndIcp) {
    btw::SalesDocument invoice{"f1",
                               "FAC-2025-0099",
                               "2025-12-20",
                               "2026-01-05",
                               "Bakkerij",
                               "NL",
                               "NL1B01",
                               12100,
                               {{VatTreatment::nl21, 10000, 2100, false}},
                               {{"2026-01-10", 6050}, {"2026-04-02", 6050}}};
    btw::SalesDocument export_{
        "f2",
        "FAC-2026-0001",
        "2026-02-01",
        std::nullopt,
        "Ateliers Liège",
        "BE",
        "BE0123456789",
        1700000,
        {{VatTreatment::verlegd, 1000000, 0, false}, {VatTreatment::verlegd, 700000, 0, true}},
        {}};
    btw::SalesDocument outsideEu = export_;
    outsideEu.customerCountry = "CH";
    outsideEu.customerVatNumber = "CHE123456789";
    btw::QuarterFacts facts;
    facts.sales = {invoice, export_, outsideEu};

    facts.basis = btw::VatBasis::cash;
    btw::QuarterSummary q1 = btw::computeQuarter(facts, 2026, 1);
    EXPECT_EQ(q1.rubriek1a.omzetCents, 5000);  // half paid in January
    EXPECT_EQ(q1.rubriek1a.btwCents, 1050);
    EXPECT_TRUE(q1.warnings.empty() || q1.warnings.front().find("Factuur") == std::string::npos);

    facts.basis = btw::VatBasis::invoice;
    q1 = btw::computeQuarter(facts, 2026, 1);
    EXPECT_EQ(q1.rubriek1a.omzetCents, 0);  // dated in December
    EXPECT_EQ(q1.verlegd.omzetCents, 3400000);
    ASSERT_EQ(q1.icp.size(), 1u);  // the Swiss customer is an export, not an intra-EU supply
    EXPECT_EQ(q1.icp[0].vatNumber, "BE0123456789");
    EXPECT_EQ(q1.icp[0].goodsCents, 700000);
    EXPECT_EQ(q1.icp[0].servicesCents, 1000000);
    ASSERT_GE(q1.warnings.size(), 2u);
    EXPECT_NE(q1.warnings[0].find("FAC-2025-0099"), std::string::npos);  // sent in January
    EXPECT_NE(q1.warnings.back().find("ICP-opgaaf: 1 afnemer(s)"), std::string::npos);

    // 16 000 of NL turnover is 80 % of the small-business limit; reverse-charged turnover does not count.
    facts.sales.push_back({"f3",
                           "FAC-2026-0002",
                           "2026-03-01",
                           std::nullopt,
                           "Bakkerij",
                           "NL",
                           "",
                           1936000,
                           {{VatTreatment::nl21, 1600000, 336000, false}},
                           {}});
    q1 = btw::computeQuarter(facts, 2026, 1);
    EXPECT_EQ(q1.kor.turnoverCents, 1600000);
    EXPECT_EQ(q1.kor.percent, 80);
    EXPECT_NE(q1.warnings[1].find("KOR: de omzet van 2026 is € 16.000,00, 80 %"), std::string::npos);
}

}  // namespace
}  // namespace zelvorin::service
