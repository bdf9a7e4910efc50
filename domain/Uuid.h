#pragma once

#include <cstdint>
#include <string>

#include "domain/TimePoint.h"

namespace zelvorin {

// Version-4 UUID in lower-case text form ("3f9a0c1e-...") from a per-thread engine seeded by the
// system's random device. Ids of records created on the device.
std::string randomUuid();

// Version-7 UUID: 48-bit Unix milliseconds of `time`, then bits derived only from `counter`.
// Deterministic, and ids made in counter order within one millisecond sort in that order, so the
// service's new records land in key order in the database's indexes.
std::string uuidV7(TimePoint time, std::uint64_t counter);

}  // namespace zelvorin
