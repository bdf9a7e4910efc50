#pragma once

#include <chrono>

// The published Dutch statutory interest rates, newest last. Each row holds from its date until
// the next row's. Add a row when a new rate is published (twice a year at most, per 1 January and
// 1 July): the non-commercial rate (art. 6:119 BW, for consumers) is set in the "Besluit
// vaststelling wettelijke rente" as the ECB's main refinancing rate plus 2,25 rounded to whole
// percents; the commercial rate (art. 6:119a BW, between businesses) is that ECB rate plus 8.
// Rates in basis points (1 % = 100).
namespace zelvorin::statutoryinterest {

struct PublishedRate {
    std::chrono::year_month_day from;
    int nonCommercialBasisPoints;
    int commercialBasisPoints;
};

using namespace std::chrono_literals;

inline constexpr PublishedRate kPublishedRates[] = {
    {2022y / 7 / 1, 200, 800},
    {2023y / 1 / 1, 400, 1050},
    {2023y / 7 / 1, 600, 1200},
    {2024y / 1 / 1, 700, 1250},
    {2024y / 7 / 1, 700, 1225},
    // From the ECB's rate of 3,15 % (1 January 2025) and 2,15 % (1 July 2025).
    {2025y / 1 / 1, 600, 1115},
    {2025y / 7 / 1, 400, 1015},
};

}  // namespace zelvorin::statutoryinterest
