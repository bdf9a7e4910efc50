#include "screens/DashboardScreen.h"

#include <algorithm>
#include <cmath>

namespace zelvorin {
namespace {

std::string invoicesCount(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " factuur" : " facturen");
}

}  // namespace

std::vector<SummaryCard> summaryCards(const DashboardSummary& summary, const DisplayFormats& formats) {
    std::string lastSync = "Nog niet";
    std::string lastSyncCaption = "Dit apparaat heeft nog niet gesynchroniseerd";
    if (summary.lastSuccessfulSyncAt) {
        const std::string& at = *summary.lastSuccessfulSyncAt;
        lastSync = formats.date(at);
        // The stored time is UTC; the caption says so rather than guessing the reader's zone.
        lastSyncCaption = at.size() >= 16 ? "om " + at.substr(11, 5) + " (UTC)" : std::string();
    }
    return {
        {"Omzet deze maand", formats.money(summary.revenueThisMonthCents), "excl. BTW"},
        {"Openstaand", formats.money(summary.outstandingCents), invoicesCount(summary.outstandingCount)},
        {"Achterstallig", formats.money(summary.overdueCents), invoicesCount(summary.overdueCount)},
        {"Laatste synchronisatie", lastSync, lastSyncCaption},
    };
}

std::string periodTitle(ChartPeriod period) {
    switch (period) {
        case ChartPeriod::laatsteZesMaanden:
            return "Laatste 6 maanden";
        case ChartPeriod::kwartaal:
            return "Dit kwartaal";
        case ChartPeriod::jaar:
            return "Dit jaar";
        case ChartPeriod::vorigJaar:
            return "Vorig jaar";
        case ChartPeriod::alles:
            return "Alles";
    }
    return "";
}

std::vector<ChartTick> chartTicks(double highestEuros) {
    constexpr int kMostSteps = 5;
    const double highest = highestEuros > 0 ? highestEuros : 100;  // an empty period keeps a scale
    std::int64_t step = 1;
    // Whole euros only: 2.5 times a power of ten is a step from 25 up.
    for (std::int64_t magnitude = 1;; magnitude *= 10) {
        bool found = false;
        for (const std::int64_t tenfold : {10, 20, 25, 50}) {
            if (tenfold == 25 && magnitude < 10) continue;
            step = magnitude * tenfold / 10;
            if (highest <= static_cast<double>(step * kMostSteps)) {
                found = true;
                break;
            }
        }
        if (found) break;
    }
    const auto steps =
        std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(highest / static_cast<double>(step))));
    std::vector<ChartTick> ticks;
    for (std::int64_t i = 0; i <= steps; ++i)
        ticks.push_back({i * step, "€ " + groupedNumber(i * step)});
    return ticks;
}

}  // namespace zelvorin
