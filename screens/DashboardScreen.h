#pragma once

#include <array>
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

}  // namespace zelvorin
