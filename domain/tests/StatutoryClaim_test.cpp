#include <gtest/gtest.h>

#include "domain/StatutoryClaim.h"

namespace zelvorin {
namespace {

using namespace std::chrono;

TEST(StatutoryClaimTest, TheRateOfADayIsTheLastOnePublishedBeforeIt) {
    EXPECT_EQ(statutoryInterestBasisPoints(DebtorKind::consumer, 2022y / June / 30), 0);
    EXPECT_EQ(statutoryInterestBasisPoints(DebtorKind::consumer, 2023y / June / 30), 400);
    EXPECT_EQ(statutoryInterestBasisPoints(DebtorKind::consumer, 2023y / July / 1), 600);
    EXPECT_EQ(statutoryInterestBasisPoints(DebtorKind::business, 2023y / July / 1), 1200);
    EXPECT_EQ(statutoryInterestBasisPoints(DebtorKind::business, 2024y / December / 31), 1225);
}

TEST(StatutoryClaimTest, InterestRunsPerDayAfterTheDueDateAtEachDaysRate) {
    // € 1.000 thirty days late in January 2024: 7 % (consumer), 12,5 % (business) a year.
    const StatutoryClaim consumer =
        statutoryClaim(100000, DebtorKind::consumer, 2024y / January / 1, 2024y / January / 31);
    EXPECT_EQ(consumer.daysLate, 30);
    EXPECT_EQ(consumer.interestCents, 575);  // 1000 × 7 % × 30 / 365 = 5,753
    EXPECT_EQ(consumer.rateBasisPoints, 700);
    EXPECT_EQ(
        statutoryClaim(100000, DebtorKind::business, 2024y / January / 1, 2024y / January / 31).interestCents,
        1027);  // 10,274

    // Across 1 July 2024: 5 days at 12,5 %, 5 at 12,25 %.
    const StatutoryClaim across =
        statutoryClaim(100000, DebtorKind::business, 2024y / June / 25, 2024y / July / 5);
    EXPECT_EQ(across.interestCents, 339);  // (5 × 12,5 + 5 × 12,25) / 100 × 1000 / 365 = 3,390
    EXPECT_EQ(across.rateBasisPoints, 1225);

    // A year and a day: 365 days at 7 % (€ 70,00) join the principal, which bears 6 % on 1 January
    // 2025: 1070 × 6 % / 365 = 0,176.
    const StatutoryClaim yearAndADay =
        statutoryClaim(100000, DebtorKind::consumer, 2024y / January / 1, 2025y / January / 1);
    EXPECT_EQ(yearAndADay.daysLate, 366);
    EXPECT_EQ(yearAndADay.interestCents, 7018);
}

TEST(StatutoryClaimTest, NothingIsOwedBeforeTheDueDateOrOnNothingOpen) {
    const StatutoryClaim onTime =
        statutoryClaim(100000, DebtorKind::consumer, 2024y / March / 1, 2024y / March / 1);
    EXPECT_EQ(onTime.daysLate, 0);
    EXPECT_EQ(onTime.interestCents, 0);
    EXPECT_EQ(onTime.collectionCostsCents, 15000);  // the costs are known before they are owed
    const StatutoryClaim nothing =
        statutoryClaim(0, DebtorKind::business, 2024y / January / 1, 2024y / March / 1);
    EXPECT_EQ(nothing.collectionCostsCents, 0);
    EXPECT_EQ(nothing.interestCents, 0);
}

TEST(StatutoryClaimTest, CollectionCostsFollowTheScaleAtItsEdgesForBoth) {
    for (const DebtorKind debtor : {DebtorKind::consumer, DebtorKind::business}) {
        const auto costs = [&](std::int64_t open) {
            return statutoryClaim(open, debtor, 2024y / January / 1, 2024y / February / 1)
                .collectionCostsCents;
        };
        EXPECT_EQ(costs(1), 4000);            // at least € 40
        EXPECT_EQ(costs(26666), 4000);        // 15 % is € 39,99
        EXPECT_EQ(costs(26667), 4000);        // 15 % is € 40,0005
        EXPECT_EQ(costs(250000), 37500);      // 15 % of € 2.500
        EXPECT_EQ(costs(500000), 62500);      // + 10 % of the next € 2.500
        EXPECT_EQ(costs(1000000), 87500);     // + 5 % of the next € 5.000
        EXPECT_EQ(costs(20000000), 277500);   // + 1 % of the next € 190.000
        EXPECT_EQ(costs(20100000), 278000);   // + 0,5 % above
        EXPECT_EQ(costs(100000000), 677500);  // at most € 6.775
        EXPECT_EQ(costs(900000000), 677500);
    }
}

}  // namespace
}  // namespace zelvorin
