#include "service/store/ScheduledSends.h"

#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::scheduledsends {

namespace {

ScheduledSend fromRow(Statement& row) {
    return {row.text(0), row.text(1), row.text(2), row.text(3), row.text(4), row.text(5)};
}

constexpr const char* kColumns = "organization_id, invoice_id, scheduled_at, message, user_id, device_id";

}  // namespace

void put(Connection& db, const ScheduledSend& send) {
    db.cached(std::string("INSERT OR REPLACE INTO scheduled_send (") + kColumns +
              ") VALUES (?, ?, ?, ?, ?, ?)")
        .bindAll(send.organizationId, send.invoiceId, send.scheduledAt, send.message, send.userId,
                 send.deviceId)
        .run();
}

std::optional<ScheduledSend> find(Connection& db, const std::string& organizationId,
                                  const std::string& invoiceId) {
    Statement& row = db.cached(std::string("SELECT ") + kColumns +
                               " FROM scheduled_send WHERE organization_id = ? AND invoice_id = ?");
    row.bindAll(organizationId, invoiceId);
    if (!row.step()) return std::nullopt;
    return fromRow(row);
}

bool remove(Connection& db, const std::string& organizationId, const std::string& invoiceId) {
    db.cached("DELETE FROM scheduled_send WHERE organization_id = ? AND invoice_id = ?")
        .bindAll(organizationId, invoiceId)
        .run();
    return db.changes() > 0;
}

std::vector<ScheduledSend> due(Connection& db, TimePoint now) {
    Statement& rows =
        db.cached(std::string("SELECT ") + kColumns +
                  " FROM scheduled_send WHERE scheduled_at <= ? ORDER BY scheduled_at, invoice_id");
    rows.bindAll(formatTimestampMillis(now));
    std::vector<ScheduledSend> found;
    while (rows.step())
        found.push_back(fromRow(rows));
    return found;
}

}  // namespace zelvorin::service::scheduledsends
