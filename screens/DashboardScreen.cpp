#include "screens/DashboardScreen.h"

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

}  // namespace zelvorin
