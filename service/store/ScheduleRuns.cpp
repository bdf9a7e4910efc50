#include "service/store/ScheduleRuns.h"

#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::scheduleruns {

bool claim(Connection& db, const ScheduleRun& run) {
    db.cached(
          "INSERT OR IGNORE INTO schedule_run (organization_id, schedule_id, period_start, period_end, "
          "billing_date, invoice_id, generated_at) VALUES (?, ?, ?, ?, ?, ?, ?)")
        .bindAll(run.organizationId, run.scheduleId, run.periodStart, run.periodEnd, run.billingDate,
                 run.invoiceId, run.generatedAt)
        .run();
    return db.changes() > 0;
}

std::optional<std::string> lastBillingDate(Connection& db, const std::string& organizationId,
                                           const std::string& scheduleId) {
    Statement& row =
        db.cached("SELECT MAX(billing_date) FROM schedule_run WHERE organization_id = ? AND schedule_id = ?");
    row.bindAll(organizationId, scheduleId);
    if (!row.step() || row.isNull(0)) return std::nullopt;
    return row.text(0);
}

TimePoint generationStart(Connection& db, TimePoint now) {
    db.cached("INSERT OR IGNORE INTO schedule_generation (id, started_at) VALUES (1, ?)")
        .bindAll(formatTimestampMillis(now))
        .run();
    Statement& row = db.cached("SELECT started_at FROM schedule_generation WHERE id = 1");
    row.step();
    return parseTimestamp(row.text(0)).value_or(now);
}

}  // namespace zelvorin::service::scheduleruns
