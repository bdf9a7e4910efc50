#include "domain/CollectionCosts.h"

#include <algorithm>

namespace zelvorin {

namespace {

// The scale in thousandths of a cent, so that every percentage of a whole number of cents is
// exact: 0,5 % of one cent is 5 thousandths.
struct Tier {
    std::int64_t fromCents;       // the tier applies above this amount
    std::int64_t baseMilliCents;  // the costs at `fromCents`
    std::int64_t milliCentsPerCent;
};

constexpr Tier kTiers[] = {
    {20'000'000, 277'500'000, 5},  // above € 200.000: 0,5 %
    {1'000'000, 87'500'000, 10},   // above € 10.000: 1 %
    {500'000, 62'500'000, 50},     // above € 5.000: 5 %
    {250'000, 37'500'000, 100},    // above € 2.500: 10 %
};
constexpr std::int64_t kMinimumMilliCents = 4'000'000;  // € 40
constexpr std::int64_t kCapCents = 677'500;             // € 6.775
constexpr std::int64_t kCappedFromCents = 100'000'000;  // where the top tier reaches the cap

}  // namespace

std::int64_t collectionCostsCents(std::int64_t outstandingCents) {
    if (outstandingCents < 1) return 0;
    if (outstandingCents >= kCappedFromCents) return kCapCents;
    std::int64_t milliCents = std::max(outstandingCents * 150, kMinimumMilliCents);  // 15 %
    for (const Tier& tier : kTiers) {
        if (outstandingCents > tier.fromCents) {
            milliCents = tier.baseMilliCents + (outstandingCents - tier.fromCents) * tier.milliCentsPerCent;
            break;
        }
    }
    return std::min((milliCents + 500) / 1000, kCapCents);
}

}  // namespace zelvorin
