#include "domain/StatutoryClaim.h"

#include "domain/CollectionCosts.h"
#include "domain/StatutoryInterestRates.h"

namespace zelvorin {

namespace {

using namespace std::chrono;

// Interest in 1/(10 000 · 365) of a cent: exact, so a year of days sums to the year's rate
// without rounding on the way. A year of € 10.000.000.000 at 15 % still fits 64 bits.
using Fraction = std::int64_t;
constexpr Fraction kPerCent = Fraction{10'000} * 365;

std::int64_t roundedCents(Fraction parts) {
    return static_cast<std::int64_t>((parts + kPerCent / 2) / kPerCent);
}

}  // namespace

int statutoryInterestBasisPoints(DebtorKind debtor, year_month_day day) {
    int rate = 0;
    for (const statutoryinterest::PublishedRate& published : statutoryinterest::kPublishedRates) {
        if (sys_days{published.from} > sys_days{day}) break;
        rate = debtor == DebtorKind::business ? published.commercialBasisPoints
                                              : published.nonCommercialBasisPoints;
    }
    return rate;
}

StatutoryClaim statutoryClaim(std::int64_t openCents, DebtorKind debtor, year_month_day dueDate,
                              year_month_day today) {
    StatutoryClaim claim;
    if (openCents < 1) return claim;
    claim.collectionCostsCents = collectionCostsCents(openCents);
    claim.rateBasisPoints = statutoryInterestBasisPoints(debtor, today);
    const sys_days due{dueDate}, end{today};
    if (end <= due) return claim;
    claim.daysLate = static_cast<int>((end - due).count());

    std::int64_t principal = openCents;
    Fraction year = 0;  // this year's interest so far
    std::int64_t earlierYears = 0;
    int dayOfYear = 0;
    for (sys_days day = due + days{1}; day <= end; day += days{1}) {
        year += Fraction{principal} * statutoryInterestBasisPoints(debtor, year_month_day{day});
        if (++dayOfYear == 365) {
            const std::int64_t cents = roundedCents(year);
            principal += cents;
            earlierYears += cents;
            year = 0;
            dayOfYear = 0;
        }
    }
    claim.interestCents = earlierYears + roundedCents(year);
    return claim;
}

}  // namespace zelvorin
