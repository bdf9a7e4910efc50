#include "persistence/repositories/DashboardChartsRepository.h"

#include <gtest/gtest.h>

#include "domain/Timestamps.h"
#include "persistence/RecordStatements.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

class DashboardChartsIntegrationTest : public ::testing::Test {
protected:
    DashboardChartsIntegrationTest()
        : database_(AppDatabase::openFile(dir_ / "zelvorin.sqlite")),
          clock_(std::make_shared<ManualClock>(*parseTimestamp("2026-03-15T10:00:00Z"))),
          charts_(database_, clock_) {}

    void today(const std::string& day) { clock_->set(*parseTimestamp(day + "T23:59:00Z")); }

    void transaction(const std::string& date, const std::string& direction, std::int64_t cents) {
        BankTransactionRecord record;
        record.id = "tx-" + std::to_string(++rows_);
        record.organizationId = "org";
        record.direction = direction;
        record.amountCents = cents;
        record.transactionDate = date;
        record.createdAt = record.updatedAt = "2026-01-01T00:00:00.000Z";
        database_.writer->write([&](Connection& db) { insertRecord(db, record); });
    }
    void invoice(const std::string& status, const std::string& issueDate, std::int64_t subtotalCents,
                 std::optional<std::string> paidAt = std::nullopt, std::int64_t vatCents = 0,
                 std::optional<std::string> invoiceType = std::nullopt) {
        DraftInvoiceRecord record;
        record.id = "inv-" + std::to_string(++rows_);
        record.organizationId = "org";
        record.status = status;
        record.issueDate = issueDate;
        record.vatTreatment = "nl_21";
        record.subtotalCents = subtotalCents;
        record.vatCents = vatCents;
        record.paidAt = std::move(paidAt);
        record.invoiceType = std::move(invoiceType);
        record.createdAt = record.updatedAt = "2026-01-01T00:00:00.000Z";
        database_.writer->write([&](Connection& db) { insertRecord(db, record); });
    }

    testing::TempDir dir_;
    AppDatabase database_;
    std::shared_ptr<ManualClock> clock_;
    DashboardChartsRepository charts_;
    int rows_ = 0;
};

TEST_F(DashboardChartsIntegrationTest, PeriodsAreHalfOpenCalendarRanges) {
    struct Case {
        const char* today;
        ChartPeriod period;
        DayRange expected;
    };
    const Case cases[] = {
        {"2026-01-15", ChartPeriod::laatsteZesMaanden, {"2025-08-01", "2026-02-01"}},
        {"2026-12-31", ChartPeriod::laatsteZesMaanden, {"2026-07-01", "2027-01-01"}},
        {"2026-05-02", ChartPeriod::kwartaal, {"2026-04-01", "2026-07-01"}},
        {"2026-03-31", ChartPeriod::kwartaal, {"2026-01-01", "2026-04-01"}},
        {"2026-12-31", ChartPeriod::kwartaal, {"2026-10-01", "2027-01-01"}},
        {"2026-01-01", ChartPeriod::jaar, {"2026-01-01", "2027-01-01"}},
        {"2026-01-01", ChartPeriod::vorigJaar, {"2025-01-01", "2026-01-01"}},
        {"2026-12-31", ChartPeriod::alles, {"2026-12-01", "2027-01-01"}},  // no data yet
    };
    for (const Case& c : cases) {
        today(c.today);
        EXPECT_EQ(charts_.range(c.period), c.expected) << c.today;
    }

    // All time starts at the earliest paid day or transaction day that is not after today.
    today("2026-03-15");
    invoice("paid", "2024-12-01", 100, "2025-01-02T10:00:00.000Z");
    invoice("sent", "2023-01-01", 100);  // not paid: does not count
    transaction("2024-06-03", "in", 100);
    transaction("2027-01-01", "in", 100);
    EXPECT_EQ(charts_.range(ChartPeriod::alles), (DayRange{"2024-06-03", "2026-03-16"}));
    EXPECT_EQ(charts_.incomeAndExpenses(ChartPeriod::alles).size(), 22u);  // June 2024 to March 2026
}

TEST_F(DashboardChartsIntegrationTest, MonthlySeriesFillEveryMonthAndLeaveOutTheEndDay) {
    // Quarter of 2026-03-15: [2026-01-01, 2026-04-01).
    transaction("2026-01-01", "in", 10000);
    transaction("2026-01-20", "out", 2500);
    transaction("2026-03-31", "in", 700);
    transaction("2026-03-31", "out", 200);
    transaction("2026-03-31", "", 50);  // every direction but "in" goes out
    transaction("2026-04-01", "in", 99999);
    transaction("2025-12-31", "in", 99999);

    EXPECT_EQ(charts_.incomeAndExpenses(ChartPeriod::kwartaal),
              (std::vector<InkomstenUitgavenPoint>{
                  {"2026-01", "jan", 10000, 2500}, {"2026-02", "feb", 0, 0}, {"2026-03", "mrt", 700, 250}}));
    EXPECT_EQ(
        charts_.cashflow(ChartPeriod::kwartaal),
        (std::vector<CashflowPoint>{{"2026-01-01", 10000}, {"2026-01-20", 7500}, {"2026-03-31", 7950}}));

    invoice("sent", "2025-10-31", 1000);
    invoice("paid", "2026-03-01T08:00:00.000Z", 2000);  // compared on its first ten characters
    invoice("credited", "2026-03-10", 300);
    invoice("draft", "2026-03-10", 5000);
    invoice("sent", "2026-03-10", 4000, std::nullopt, 0, "credit_note");
    invoice("sent", "2025-09-30", 8000);  // before the six months
    EXPECT_EQ(charts_.revenuePerMonth(ChartPeriod::laatsteZesMaanden),
              (std::vector<MonthlyPoint>{{"2025-10", "okt", 1000},
                                         {"2025-11", "nov", 0},
                                         {"2025-12", "dec", 0},
                                         {"2026-01", "jan", 0},
                                         {"2026-02", "feb", 0},
                                         {"2026-03", "mrt", 2300}}));
}

TEST_F(DashboardChartsIntegrationTest, VatIsSummedPerQuarterOfThePaymentDayOldestFirst) {
    invoice("paid", "2026-01-05", 10000, "2026-05-01T09:00:00.000Z", 420);
    invoice("paid", "2026-01-05", 10000, "2026-02-10T09:00:00.000Z", 2100);
    invoice("paid", "2026-01-05", 10000, "2026-03-31T23:59:59.000Z", 100);
    invoice("sent", "2026-01-05", 10000, "2026-02-10T09:00:00.000Z", 5000);  // not paid
    invoice("paid", "2025-12-01", 10000, "2025-12-31T09:00:00.000Z", 7000);  // last year
    today("2026-06-30");
    EXPECT_EQ(charts_.vatPerQuarter(ChartPeriod::jaar),
              (std::vector<BtwQuarterPoint>{{"Q1 2026", 2200, 0, 2200}, {"Q2 2026", 420, 0, 420}}));
    EXPECT_EQ(charts_.vatPerQuarter(ChartPeriod::alles).front(), (BtwQuarterPoint{"Q4 2025", 7000, 0, 7000}));
    EXPECT_TRUE(charts_.vatPerQuarter(ChartPeriod::vorigJaar).size() == 1);
}

}  // namespace
}  // namespace zelvorin
