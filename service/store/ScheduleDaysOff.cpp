#include "service/store/ScheduleDaysOff.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::scheduledaysoff {

namespace {

constexpr const char* kColumns = "organization_id, id, schedule_id, date, type, created_at";

ScheduleDayOff fromRow(Statement& row) {
    return {row.text(0), row.text(1), row.text(2), row.text(3), row.text(4), row.text(5)};
}

}  // namespace

std::vector<ScheduleDayOff> ofSchedule(Connection& db, const std::string& organizationId,
                                       const std::string& scheduleId) {
    Statement& rows = db.cached(std::string("SELECT ") + kColumns +
                                " FROM schedule_day_off WHERE organization_id = ? AND schedule_id = ? "
                                "ORDER BY date, id");
    rows.bindAll(organizationId, scheduleId);
    std::vector<ScheduleDayOff> found;
    while (rows.step())
        found.push_back(fromRow(rows));
    return found;
}

std::optional<ScheduleDayOff> find(Connection& db, const std::string& organizationId, const std::string& id) {
    Statement& row = db.cached(std::string("SELECT ") + kColumns +
                               " FROM schedule_day_off WHERE organization_id = ? AND id = ?");
    row.bindAll(organizationId, id);
    if (!row.step()) return std::nullopt;
    return fromRow(row);
}

bool add(Connection& db, const ScheduleDayOff& dayOff) {
    db.cached(std::string("INSERT OR IGNORE INTO schedule_day_off (") + kColumns +
              ") VALUES (?, ?, ?, ?, ?, ?)")
        .bindAll(dayOff.organizationId, dayOff.id, dayOff.scheduleId, dayOff.date, dayOff.type,
                 dayOff.createdAt)
        .run();
    return db.changes() > 0;
}

bool remove(Connection& db, const std::string& organizationId, const std::string& id) {
    db.cached("DELETE FROM schedule_day_off WHERE organization_id = ? AND id = ?")
        .bindAll(organizationId, id)
        .run();
    return db.changes() > 0;
}

}  // namespace zelvorin::service::scheduledaysoff
