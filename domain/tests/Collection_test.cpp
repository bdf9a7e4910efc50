#include <gtest/gtest.h>

#include "domain/CollectionCosts.h"
#include "domain/InvoiceDueDate.h"
#include "domain/IsoDateTime.h"

namespace zelvorin {
namespace {

using namespace std::chrono;

TEST(CollectionCostsTest, FollowTheStatutoryScale) {
    EXPECT_EQ(collectionCostsCents(0), 0);
    EXPECT_EQ(collectionCostsCents(-500), 0);
    EXPECT_EQ(collectionCostsCents(10000), 4000) << "at least 40 euros";
    EXPECT_EQ(collectionCostsCents(250000), 37500);
    EXPECT_EQ(collectionCostsCents(250001), 37500) << "10 % of one cent above the first step";
    EXPECT_EQ(collectionCostsCents(300000), 42500);
    EXPECT_EQ(collectionCostsCents(750000), 75000);
    EXPECT_EQ(collectionCostsCents(2000000), 97500);
    EXPECT_EQ(collectionCostsCents(20000000), 277500);
    EXPECT_EQ(collectionCostsCents(100000000), 677500) << "capped";
    EXPECT_EQ(collectionCostsCents(INT64_MAX), 677500);
}

TEST(CollectionCostsTest, RoundHalfCentsAwayFromZeroExactly) {
    EXPECT_EQ(collectionCostsCents(33333), 5000) << "15 % of 333,33 is 49,9995";
    // 15 % of 300,10 is exactly 45,015 and 0,5 % above the top step of 200.001 is 5 cents, halves
    // that arithmetic in binary fractions lands on either side of.
    EXPECT_EQ(collectionCostsCents(30010), 4502);
    EXPECT_EQ(collectionCostsCents(20000100), 277501);
    EXPECT_EQ(collectionCostsCents(20000300), 277502);
}

TEST(InvoiceDueDateTest, PaymentTermAndDaysOverdueFromDocumentDates) {
    using InvoiceDueDate::daysOverdue;
    using InvoiceDueDate::paymentTermDays;
    EXPECT_EQ(paymentTermDays("2024-03-01", "2024-03-31"), 30);
    EXPECT_EQ(paymentTermDays("2024-03-31", "2024-03-01"), 0);
    EXPECT_EQ(paymentTermDays("2024-03-01", "2024-03-15T13:00:00Z"), 15) << "rounded to the nearest day";
    EXPECT_EQ(paymentTermDays("2024-03-01", "2024-03-15 12:00"), 15) << "half a day rounds up";
    EXPECT_EQ(paymentTermDays("2024-03-01", "morgen"), std::nullopt);
    const sys_days today{year{2024} / 4 / 10};
    EXPECT_EQ(daysOverdue("2024-03-31", today), 10);
    EXPECT_EQ(daysOverdue("2024-03-31T12:00:00Z", today), 9) << "only whole days count";
    EXPECT_EQ(daysOverdue("2024-04-09T23:00:00-02:00", today), 0) << "an offset moves it to the 10th";
    EXPECT_EQ(daysOverdue("2024-05-01", today), 0);
    EXPECT_EQ(daysOverdue("2024-02-30", today), std::nullopt);
}

TEST(IsoDateTimeTest, ReadsDatesAndDateTimesAsWritten) {
    const auto at = [](int y, unsigned m, unsigned d, int h, int min) {
        return sys_seconds{sys_days{year{y} / m / d}} + hours{h} + minutes{min};
    };
    EXPECT_EQ(parseIsoDateTime("2024-03-01"), at(2024, 3, 1, 0, 0));
    EXPECT_EQ(parseIsoDateTime("2024-03-01t10:00"), at(2024, 3, 1, 10, 0));
    EXPECT_EQ(parseIsoDateTime("2024-03-01T10:00:59.123Z"), at(2024, 3, 1, 10, 0) + seconds{59});
    EXPECT_EQ(parseIsoDateTime("2024-03-01T01:30:00+0200"), at(2024, 2, 29, 23, 30));
    EXPECT_EQ(parseIsoDateTime("2024-03-01T10:00:00-05:30"), at(2024, 3, 1, 15, 30));
    for (const char* text : {"", "2024-3-1", "2024-02-30", "2024-03-01X10:00", "2024-03-01T25:00",
                             "2024-03-01T10:00+2", "01-03-2024"}) {
        EXPECT_EQ(parseIsoDateTime(text), std::nullopt) << text;
    }
}

}  // namespace
}  // namespace zelvorin
