#include "service/seed/SeedContext.h"

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/store/RecordWriter.h"
#include "sync/SyncEntityType.h"

namespace zelvorin::service {

namespace {

// 2024-01-01T00:00:00Z: the instant in every seeded id. Far enough back that ids of records the
// service creates while running always sort after the seed's.
constexpr std::chrono::sys_seconds kSeedIdInstant{std::chrono::seconds{1704067200}};

}  // namespace

SeedContext::SeedContext(Connection& db, std::chrono::year_month_day referenceDate)
    : db_(db), reference_(referenceDate) {}

std::string SeedContext::nextId() {
    return idAt(++counter_);
}

std::string SeedContext::idAt(std::uint64_t counter) {
    return uuidV7(TimePoint{kSeedIdInstant}, counter);
}

std::string SeedContext::date(int days) const {
    return formatCalendarDate(std::chrono::year_month_day{reference_ + std::chrono::days{days}});
}

std::string SeedContext::timestamp(int days, int hour, int minute) const {
    const TimePoint time{reference_ + std::chrono::days{days} + std::chrono::hours{hour} +
                         std::chrono::minutes{minute}};
    return formatTimestampMillis(time);
}

TimePoint SeedContext::seedMoment() const {
    return TimePoint{reference_ + std::chrono::hours{6}};
}

std::string SeedContext::seedMomentText() const {
    return formatTimestampMillis(seedMoment());
}

int SeedContext::referenceYear() const {
    return static_cast<int>(std::chrono::year_month_day{reference_}.year());
}

void SeedContext::put(const std::string& organizationId, const std::string& entityType, const Json& payload) {
    writeRecord(db_, RecordChange{organizationId, parseSyncEntityType(entityType).value(),
                                  payload.at("id").get<std::string>(), RecordOperation::put, payload,
                                  seedMoment(), Actor{ChangeSource::seed, {}, {}}, std::nullopt});
}

void addServerBookkeeping(Json& payload, const SeedContext& context) {
    payload["revision"] = 1;
    payload["serverModifiedAt"] = context.seedMomentText();
}

}  // namespace zelvorin::service
