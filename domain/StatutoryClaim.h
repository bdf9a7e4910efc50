#pragma once

#include <chrono>
#include <cstdint>

namespace zelvorin {

// Who owes: the rates and rules differ for a consumer and a business.
enum class DebtorKind { consumer, business };

// What a final reminder may claim on top of the open amount on `today`:
//   collection costs  the statutory scale (CollectionCosts.h), for both: at least € 40 (for a
//                     business the law's fixed minimum), at most € 6.775; a consumer owes them
//                     only after a reminder that gives 14 days to pay, which is why the final
//                     reminder names them
//   interest          statutory interest (the commercial rate for a business) over the open
//                     amount for every day after the due date up to and including today, at the
//                     rate published for that day (StatutoryInterestRates.h); simple interest,
//                     with each full year's interest added to the principal as the law does
struct StatutoryClaim {
    std::int64_t collectionCostsCents = 0;
    std::int64_t interestCents = 0;
    int daysLate = 0;
    int rateBasisPoints = 0;  // the rate of `today` (0 before the first published rate)
};

StatutoryClaim statutoryClaim(std::int64_t openCents, DebtorKind debtor, std::chrono::year_month_day dueDate,
                              std::chrono::year_month_day today);

// The rate that holds on `day`, in basis points.
int statutoryInterestBasisPoints(DebtorKind debtor, std::chrono::year_month_day day);

}  // namespace zelvorin
