#include "service/schedules/DayOffActions.h"

#include <algorithm>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/JsonBody.h"
#include "service/http/ServiceError.h"
#include "service/store/Records.h"
#include "service/store/ScheduleDaysOff.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kDayOffTypes[] = {"vakantie", "ziek", "vrij"};

void requireSchedule(Connection& db, const Caller& caller, const std::string& scheduleId) {
    const std::optional<StoredRecord> schedule =
        records::find(db, caller.organizationId, "invoiceSchedule", scheduleId);
    if (!schedule || schedule->deleted) throw ServiceError(ErrorKind::notFound, "Schema niet gevonden.");
}

Json dayOffJson(const ScheduleDayOff& dayOff) {
    return Json{{"id", dayOff.id},
                {"scheduleId", dayOff.scheduleId},
                {"date", dayOff.date},
                {"type", dayOff.type},
                {"createdAt", dayOff.createdAt}};
}

std::string displayDate(const std::string& date) {
    return date.substr(8, 2) + "-" + date.substr(5, 2) + "-" + date.substr(0, 4);
}

}  // namespace

Json listDaysOff(const ServiceDatabase& database, const Caller& caller, const std::string& scheduleId) {
    return database.read([&](Connection& db) {
        requireSchedule(db, caller, scheduleId);
        Json days = Json::array();
        for (const ScheduleDayOff& dayOff :
             scheduledaysoff::ofSchedule(db, caller.organizationId, scheduleId))
            days.push_back(dayOffJson(dayOff));
        return Json{{"daysOff", std::move(days)}};
    });
}

Json addDayOff(const ServiceDatabase& database, const Caller& caller, const std::string& scheduleId,
               const Json& body, TimePoint now) {
    const std::string date = requiredText(body, "date");
    const std::string type = requiredText(body, "type");
    if (!parseCalendarDate(date))
        throw ServiceError(ErrorKind::unprocessable, "'" + date + "' is geen datum; gebruik jjjj-mm-dd.");
    if (std::find(std::begin(kDayOffTypes), std::end(kDayOffTypes), type) == std::end(kDayOffTypes))
        throw ServiceError(ErrorKind::unprocessable,
                           "Onbekend soort vrije dag '" + type + "': kies vakantie, ziek of vrij.");
    const ScheduleDayOff dayOff{caller.organizationId,     randomUuid(), scheduleId, date, type,
                                formatTimestampMillis(now)};
    return database.write([&](Connection& db) {
        requireSchedule(db, caller, scheduleId);
        if (!scheduledaysoff::add(db, dayOff))
            throw ServiceError(ErrorKind::conflict, "Op " + displayDate(date) + " staat al een vrije dag.");
        return Json{{"dayOff", dayOffJson(dayOff)}};
    });
}

Json removeDayOff(const ServiceDatabase& database, const Caller& caller, const std::string& scheduleId,
                  const std::string& dayOffId) {
    return database.write([&](Connection& db) {
        requireSchedule(db, caller, scheduleId);
        const std::optional<ScheduleDayOff> dayOff =
            scheduledaysoff::find(db, caller.organizationId, dayOffId);
        if (!dayOff || dayOff->scheduleId != scheduleId)
            throw ServiceError(ErrorKind::notFound, "Vrije dag niet gevonden.");
        scheduledaysoff::remove(db, caller.organizationId, dayOffId);
        return Json{{"ok", true}};
    });
}

}  // namespace zelvorin::service
