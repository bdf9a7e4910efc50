#pragma once

#include <chrono>
#include <cstdint>

namespace zelvorin {

// A schedule's yearly indexation ("fixed_percent" from its 1 January anchor): each 1 January after
// the schedule's first day, up to and including the billing date, raises its rate and its fixed
// amounts by the percentage. Turning indexation off again bills the original amounts: nothing but
// the schedule itself holds the raised ones.
int indexationSteps(std::chrono::sys_days firstDay, std::chrono::sys_days billingDate);

// `cents` raised by `percentBps` basis points `steps` times, compounded and rounded half up to the
// cent after each year, as an invoice of that year would show it.
std::int64_t indexedCents(std::int64_t cents, std::int64_t percentBps, int steps);

}  // namespace zelvorin
