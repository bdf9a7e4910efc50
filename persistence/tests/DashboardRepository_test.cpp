#include "persistence/repositories/DashboardRepository.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "domain/Timestamps.h"
#include "persistence/RecordStatements.h"
#include "testing/TempDir.h"
#include "testing/ThrownKind.h"

namespace zelvorin {
namespace {

using namespace std::chrono_literals;

// Summaries an observation delivered, with a bounded wait for the next one.
class Summaries {
public:
    void add(DashboardSummary summary) {
        {
            std::lock_guard lock(mutex_);
            values_.push_back(std::move(summary));
        }
        changed_.notify_all();
    }
    DashboardSummary waitFor(std::size_t n) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 10s, [&] { return values_.size() >= n; });
        return values_.size() >= n ? values_[n - 1] : DashboardSummary{};
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<DashboardSummary> values_;
};

class DashboardRepositoryIntegrationTest : public ::testing::Test {
protected:
    DashboardRepositoryIntegrationTest()
        : database_(AppDatabase::openFile(dir_ / "zelvorin.sqlite")),
          clock_(std::make_shared<ManualClock>(*parseTimestamp("2026-03-15T10:00:00Z"))),
          dashboard_(database_, clock_) {}

    DraftInvoiceRecord invoice(const std::string& id, const std::string& status, std::int64_t totalCents,
                               const std::string& issueDate = "2026-03-01",
                               std::optional<std::string> dueDate = "2026-04-01") {
        DraftInvoiceRecord record;
        record.id = id;
        record.organizationId = "org";
        record.status = status;
        record.issueDate = issueDate;
        record.dueDate = std::move(dueDate);
        record.vatTreatment = "nl_21";
        record.totalCents = totalCents;
        record.subtotalCents = totalCents * 100 / 121;
        record.createdAt = record.updatedAt = "2026-03-01T09:00:00.000Z";
        return record;
    }
    void insert(const DraftInvoiceRecord& record) {
        database_.writer->write([&](Connection& db) { insertRecord(db, record); });
    }
    void pay(const std::string& invoiceId, std::int64_t cents) {
        InvoicePaymentRecord payment;
        payment.id = invoiceId + "-" + std::to_string(++payments_);
        payment.invoiceId = invoiceId;
        payment.organizationId = "org";
        payment.amountCents = cents;
        payment.paymentDate = "2026-03-10";
        payment.createdAt = "2026-03-10T09:00:00.000Z";
        database_.writer->write([&](Connection& db) { insertRecord(db, payment); });
    }
    DashboardSummary summaryOn(const std::string& today) {
        return database_.writer->read(
            [&](Connection& db) { return DashboardRepository::summary(db, today); });
    }

    testing::TempDir dir_;
    AppDatabase database_;
    std::shared_ptr<ManualClock> clock_;
    DashboardRepository dashboard_;
    int payments_ = 0;
};

TEST_F(DashboardRepositoryIntegrationTest, OpenFiguresAreRemaindersOfRegularOpenInvoices) {
    // 121.00 with 50.00 paid, due yesterday: 71.00 outstanding and all of it overdue.
    insert(invoice("partial", "partiallyPaid", 12100, "2026-03-01", "2026-03-14"));
    pay("partial", 5000);
    EXPECT_EQ(summaryOn("2026-03-15"), (DashboardSummary{10000, 7100, 1, 7100, 1, std::nullopt}));

    // Overpaid by 5.00: lowers the outstanding cents, not the count, and is never overdue.
    insert(invoice("overpaid", "sent", 10000, "2026-02-20", "2026-03-01"));
    pay("overpaid", 10500);
    // No invoice type is a regular invoice; due today is not overdue yet.
    insert(invoice("untyped", "viewed", 2000, "2026-03-10", "2026-03-15"));
    DraftInvoiceRecord credit = invoice("credit", "sent", 9999);
    credit.invoiceType = "credit_note";
    insert(credit);
    DraftInvoiceRecord regular = invoice("regular", "delivered", 300, "2026-01-05");
    regular.invoiceType = "regular";
    insert(regular);
    insert(invoice("paid", "paid", 30000, "2026-03-05"));
    insert(invoice("draft", "draft", 4000));
    DraftInvoiceRecord deleted = invoice("deleted", "sent", 8000);
    deleted.deletedAt = "2026-03-02T09:00:00.000Z";
    insert(deleted);

    const DashboardSummary summary = summaryOn("2026-03-15");
    EXPECT_EQ(summary.outstandingCents, 7100 - 500 + 2000 + 300);
    EXPECT_EQ(summary.outstandingCount, 3);
    EXPECT_EQ(summary.overdueCents, 7100);
    EXPECT_EQ(summary.overdueCount, 1);
    // Issued in March and sent or further: the partial, untyped and paid invoices, without VAT.
    EXPECT_EQ(summary.revenueThisMonthCents, 10000 + 1652 + 24793);
    EXPECT_EQ(dashboard_.recentInvoices().size(), 7u);  // every invoice but the deleted one
}

TEST_F(DashboardRepositoryIntegrationTest, ObservationKeepsItsDayAndSeesTheRecordedSync) {
    Summaries summaries;
    auto delivery = std::make_shared<SerialExecutor>();
    ObservationHandle handle =
        dashboard_.observeSummary([&](DashboardSummary s) { summaries.add(std::move(s)); }, delivery);
    EXPECT_FALSE(summaries.waitFor(1).lastSuccessfulSyncAt);  // no cursor row yet

    // The day was taken when the observation started: moving the clock on does not make the
    // invoice due on the 20th overdue.
    clock_->set(*parseTimestamp("2026-04-02T08:00:00Z"));
    insert(invoice("later", "sent", 1000, "2026-03-01", "2026-03-20"));
    const DashboardSummary afterInsert = summaries.waitFor(2);
    EXPECT_EQ(afterInsert.outstandingCount, 1);
    EXPECT_EQ(afterInsert.overdueCount, 0);

    dashboard_.recordSuccessfulSync("2026-04-02T08:00:00.000Z");
    EXPECT_EQ(summaries.waitFor(3).lastSuccessfulSyncAt, "2026-04-02T08:00:00.000Z");
    const auto deviceId = database_.writer->read([](Connection& db) {
        Statement& s = db.cached("SELECT device_id, cursor_token FROM sync_cursor WHERE id = 1");
        return s.step() ? std::optional(s.text(0) + "|" + (s.isNull(1) ? "null" : s.text(1))) : std::nullopt;
    });
    EXPECT_EQ(deviceId, "|null");

    EXPECT_EQ(testing::thrownKind([&] { dashboard_.recordSuccessfulSync("gisteren"); }),
              PersistenceError::Kind::invalidInput);
    EXPECT_EQ(summaryOn("2026-04-02").lastSuccessfulSyncAt, "2026-04-02T08:00:00.000Z");
}

}  // namespace
}  // namespace zelvorin
