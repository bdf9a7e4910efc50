#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace zelvorin {

// An ISO 8601 date ("2024-03-01") or date-time as people and other systems write it
// ("2024-03-01T10:00:00Z", "2024-03-01 10:00", "+02:00", "+0200", no zone for UTC) as a point in
// UTC; a date alone counts from midnight UTC. Lenient where the store's own timestamps
// (domain/Timestamps.h) are strict: this reads dates that arrive in documents and templates.
std::optional<std::chrono::sys_seconds> parseIsoDateTime(std::string_view iso);

}  // namespace zelvorin
