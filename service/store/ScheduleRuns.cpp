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

std::vector<ScheduleRun> billedOverlapping(Connection& db, const std::string& organizationId,
                                           const std::string& scheduleId, const std::string& from,
                                           const std::string& through) {
    Statement& rows = db.cached(
        "SELECT period_start, period_end, billing_date, invoice_id, generated_at FROM schedule_run "
        "WHERE organization_id = ? AND schedule_id = ? AND invoice_id IS NOT NULL AND period_start <= ? "
        "AND period_end >= ? ORDER BY period_start");
    rows.bindAll(organizationId, scheduleId, through, from);
    std::vector<ScheduleRun> found;
    while (rows.step())
        found.push_back(ScheduleRun{organizationId, scheduleId, rows.text(0), rows.text(1), rows.text(2),
                                    rows.text(3), rows.text(4)});
    return found;
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
