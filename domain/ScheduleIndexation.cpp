#include "domain/ScheduleIndexation.h"

#include "domain/Rounding.h"

namespace zelvorin {

using namespace std::chrono;

int indexationSteps(sys_days firstDay, sys_days billingDate) {
    if (billingDate <= firstDay) return 0;
    const int first = static_cast<int>(year_month_day{firstDay}.year());
    const int billed = static_cast<int>(year_month_day{billingDate}.year());
    return billed - first;  // the 1 Januaries in (firstDay, billingDate]
}

std::int64_t indexedCents(std::int64_t cents, std::int64_t percentBps, int steps) {
    for (int step = 0; step < steps; ++step)
        cents = roundHalfUp(static_cast<double>(cents) * static_cast<double>(10000 + percentBps) / 10000.0);
    return cents;
}

}  // namespace zelvorin
