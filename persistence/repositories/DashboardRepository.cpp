#include "persistence/repositories/DashboardRepository.h"
#include "persistence/PersistenceError.h"

#include <stdexcept>

#include "domain/Timestamps.h"

namespace zelvorin {
namespace {

constexpr const char* kRevenueThisMonth =
    "SELECT COALESCE(SUM(subtotal_cents), 0) FROM draft_invoice\n"
    "WHERE deleted_at IS NULL\n"
    "  AND status IN ('sent','delivered','viewed','overdue','partiallyPaid','paid','credited')\n"
    "  AND COALESCE(invoice_type, 'regular') = 'regular'\n"
    "  AND issue_date LIKE ?";

// The remainder of an invoice is its total including VAT minus every recorded payment.
constexpr const char* kOpenFigures =
    "WITH open_facturen AS (\n"
    "  SELECT\n"
    "    i.total_cents - COALESCE((\n"
    "      SELECT SUM(p.amount_cents) FROM invoice_payment p\n"
    "      WHERE p.invoice_id = i.id\n"
    "    ), 0) AS rest,\n"
    "    i.due_date\n"
    "  FROM draft_invoice i\n"
    "  WHERE i.deleted_at IS NULL\n"
    "    AND COALESCE(i.invoice_type, 'regular') = 'regular'\n"
    "    AND i.status IN ('sent','delivered','viewed','overdue','partiallyPaid')\n"
    ")\n"
    "SELECT\n"
    "  COALESCE(SUM(CASE WHEN rest <> 0 THEN rest END), 0) AS open_cents,\n"
    "  COALESCE(SUM(CASE WHEN rest > 0 THEN 1 END), 0) AS open_aantal,\n"
    "  COALESCE(SUM(CASE WHEN rest > 0 AND due_date < ? THEN rest END), 0) AS te_laat_cents,\n"
    "  COALESCE(SUM(CASE WHEN rest > 0 AND due_date < ? THEN 1 END), 0) AS te_laat_aantal\n"
    "FROM open_facturen";

}  // namespace

DashboardRepository::DashboardRepository(AppDatabase database, std::shared_ptr<const Clock> clock)
    : database_(std::move(database)), clock_(std::move(clock)) {}

DashboardSummary DashboardRepository::summary(Connection& db, std::string_view today) {
    DashboardSummary summary;
    Statement& revenue = db.cached(kRevenueThisMonth);
    revenue.bind(1, std::string(today.substr(0, 7)) + "%");
    revenue.step();
    summary.revenueThisMonthCents = revenue.int64(0);

    Statement& open = db.cached(kOpenFigures);
    open.bindAll(today, today);
    open.step();
    summary.outstandingCents = open.int64("open_cents");
    summary.outstandingCount = open.int64("open_aantal");
    summary.overdueCents = open.int64("te_laat_cents");
    summary.overdueCount = open.int64("te_laat_aantal");

    Statement& sync = db.cached("SELECT last_successful_sync_at FROM sync_cursor WHERE id = 1");
    if (sync.step()) summary.lastSuccessfulSyncAt = sync.optionalText(0);
    return summary;
}

DashboardSummary DashboardRepository::summary() {
    const std::string today = formatTimestampMillis(clock_->now()).substr(0, 10);
    return database_.writer->read([&](Connection& db) { return summary(db, today); });
}

ObservationHandle DashboardRepository::observeSummary(std::function<void(DashboardSummary)> onValue,
                                                      std::shared_ptr<Executor> deliverOn) {
    const std::string today = formatTimestampMillis(clock_->now()).substr(0, 10);
    return database_.writer->observe<DashboardSummary>([today](Connection& db) { return summary(db, today); },
                                                       std::move(onValue), std::move(deliverOn));
}

std::vector<InvoiceListItem> DashboardRepository::recentInvoices() {
    return database_.writer->read([](Connection& db) {
        Statement& select = db.cached(std::string(kInvoiceListSelect) +
                                      "WHERE i.deleted_at IS NULL\nORDER BY i.updated_at DESC\nLIMIT 10");
        std::vector<InvoiceListItem> items;
        while (select.step())
            items.push_back(InvoiceListItem::fromRow(select));
        return items;
    });
}

void DashboardRepository::recordSuccessfulSync(const std::string& time) {
    if (!parseTimestamp(time))
        throw PersistenceError::invalidInput("Geen geldig tijdstip van synchronisatie: " + time);
    database_.writer->write([&](Connection& db) {
        db.cached(
              "INSERT INTO sync_cursor (id, device_id, last_successful_sync_at)\nVALUES (1, '', ?)\nON "
              "CONFLICT(id) DO UPDATE SET last_successful_sync_at = excluded.last_successful_sync_at")
            .bind(1, time)
            .run();
    });
}

}  // namespace zelvorin
