#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

using Json = nlohmann::ordered_json;

// What every part of the demo seed shares: the write transaction it writes on, the reference date that all
// dates are laid out around, and the one id sequence. Ids are version-7 UUIDs of a fixed instant
// and a counter, so the same seed always hands out the same ids in the same order, whatever the
// reference date.
class SeedContext {
public:
    SeedContext(Connection& db, std::chrono::year_month_day referenceDate);

    std::string nextId();
    // The id that the `counter`th call of nextId() returns (counting from 1).
    static std::string idAt(std::uint64_t counter);

    // "yyyy-MM-dd", `days` after (negative: before) the reference date.
    std::string date(int days) const;
    // A timestamp in the store's form on that day, at hh:mm UTC.
    std::string timestamp(int days, int hour, int minute = 0) const;
    // The instant every seeded record counts as last changed by the service: 06:00 UTC on the
    // reference date, after every timestamp the seed writes.
    TimePoint seedMoment() const;
    std::string seedMomentText() const;
    int referenceYear() const;

    // Stores `payload` (which must hold "id") as revision 1 of a record of `entityType` (a
    // SyncEntityType raw value), through the record writer: a payload that does not fit its entity
    // fails the whole seed.
    void put(const std::string& organizationId, const std::string& entityType, const Json& payload);

private:
    Connection& db_;
    std::chrono::sys_days reference_;
    std::uint64_t counter_ = 0;
};

// Sets `key` only when `value` holds something: optional members without a value are left out of
// a payload, as on the wire.
template <typename T>
void setIf(Json& payload, const char* key, const std::optional<T>& value) {
    if (value) payload[key] = *value;
}

// The bookkeeping members that close every server payload.
void addServerBookkeeping(Json& payload, const SeedContext& context);

}  // namespace zelvorin::service
