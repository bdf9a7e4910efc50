#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "persistence/repositories/DashboardChartsRepository.h"
#include "persistence/repositories/DashboardRepository.h"
#include "screens/DisplayFormats.h"

namespace zelvorin {

// The dashboard's texts: its four figures and the chart periods a person picks from.
struct SummaryCard {
    std::string title;
    std::string value;
    std::string caption;
    bool operator==(const SummaryCard&) const = default;
};

// Omzet deze maand, Openstaand, Achterstallig, Laatste synchronisatie.
std::vector<SummaryCard> summaryCards(const DashboardSummary& summary, const DisplayFormats& formats);

inline constexpr std::array kChartPeriods{ChartPeriod::laatsteZesMaanden, ChartPeriod::kwartaal,
                                          ChartPeriod::jaar, ChartPeriod::vorigJaar, ChartPeriod::alles};
// "Laatste 6 maanden", "Dit kwartaal", …
std::string periodTitle(ChartPeriod period);

// The value axis of a chart in euros (€ 100 when the period has nothing): from 0 to a round top in steps of
// 1, 2, 2.5 or 5 times a power of ten, at most five of them, each labelled like "€ 2.000".
struct ChartTick {
    std::int64_t euros = 0;
    std::string label;
    bool operator==(const ChartTick&) const = default;
};
std::vector<ChartTick> chartTicks(double highestEuros);

}  // namespace zelvorin
