#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"

// The dashboard family of the endpoint catalogue: the figures only the service can compute over the
// whole administration, the week's briefing and the decisions on its suggested actions. Every
// optional member may be missing or null; an optional list that is missing stays absent, not empty.
// toJson writes the keys as they came, leaving out what is absent.
namespace zelvorin::dashboardactions {

enum class NativeDashboardPeriod { kwartaal, jaar, vorigJaar, alles, aangepast };
inline constexpr NativeDashboardPeriod kAllDashboardPeriods[]{
    NativeDashboardPeriod::kwartaal, NativeDashboardPeriod::jaar, NativeDashboardPeriod::vorigJaar,
    NativeDashboardPeriod::alles, NativeDashboardPeriod::aangepast};
std::string_view rawValue(NativeDashboardPeriod period);  // "kwartaal", …, "vorig_jaar", …
std::optional<NativeDashboardPeriod> parseDashboardPeriod(std::string_view raw);

enum class NativeAiActionDecision { done, dismissed, snoozed };
std::string_view rawValue(NativeAiActionDecision decision);
std::optional<NativeAiActionDecision> parseAiActionDecision(std::string_view raw);

struct NativeDashboardActivityItem {
    std::string id;
    std::optional<std::string> invoiceNumber;
    std::string status;
    std::int64_t totalCents = 0;
    std::optional<std::string> customerName;
    std::string updatedAt;
};

struct NativeDashboardUpcomingItem {
    std::string id;
    std::optional<std::string> invoiceNumber;
    std::optional<std::string> customerName;
    std::int64_t totalCents = 0;
    std::optional<std::string> dueDate;
    bool isOverdue = false;
};

struct NativeVrijTeBestedenOpbouw {
    std::int64_t banksaldoCents = 0;
    std::int64_t btwSchuldCents = 0;
    std::int64_t ibReserveCents = 0;
};

struct NativeRevenueMonth {
    std::string month;
    std::int64_t totalCents = 0;
};

struct NativeInkomstenUitgavenItem {
    std::string month;
    std::int64_t inkomsten = 0;
    std::int64_t uitgaven = 0;
};

struct NativeBtwPerKwartaalItem {
    std::string kwartaal;
    std::int64_t teBetalen = 0;
    std::int64_t teVorderen = 0;
    std::int64_t perSaldo = 0;
};

struct NativeCashflowItem {
    std::string datum;
    std::int64_t saldoCents = 0;
};

struct NativeWinstVerliesItem {
    std::string month;
    std::optional<std::int64_t> winstCents;
    std::optional<std::int64_t> prognoseCents;
};

struct NativeOpenstaandMaandItem {
    std::string maand;
    std::int64_t openstaandCents = 0;
};

struct NativeDashboardSummary {
    std::string serverTime;
    std::int64_t revenueThisMonthCents = 0;
    std::int64_t outstandingCents = 0;
    std::int64_t outstandingCount = 0;
    std::int64_t overdueCents = 0;
    std::int64_t overdueCount = 0;
    std::vector<NativeDashboardActivityItem> recentActivity;
    std::optional<std::int64_t> bankBalanceCents;
    std::optional<std::int64_t> btwSaldoCents;
    std::optional<std::string> overduePrimaryInvoiceId;
    std::optional<std::string> btwLabel;
    std::optional<std::int64_t> vrijTeBestedenCents;
    std::optional<NativeVrijTeBestedenOpbouw> vrijTeBestedenOpbouw;
    std::optional<bool> vrijTeBestedenBeschikbaar;
    std::optional<double> margePercent;
    std::optional<std::int64_t> winstDezeMaandCents;
    std::optional<std::string> margeReden;
    std::optional<std::int64_t> kvitraNewCount;
    std::optional<std::int64_t> missingInvoiceCount;
    std::optional<std::int64_t> unmatchedTransactionCount;
    std::optional<std::vector<NativeDashboardUpcomingItem>> upcomingDueDates;
    std::optional<std::vector<NativeRevenueMonth>> revenueByMonth;
    std::optional<std::vector<NativeInkomstenUitgavenItem>> inkomstenUitgaven;
    std::optional<std::vector<NativeBtwPerKwartaalItem>> btwPerKwartaal;
    std::optional<std::vector<NativeCashflowItem>> cashflow;
    std::optional<std::vector<NativeWinstVerliesItem>> winstVerlies;
    std::optional<std::vector<NativeOpenstaandMaandItem>> openstaandPerMaand;
    std::optional<std::vector<NativeBtwPerKwartaalItem>> btwSaldoPerKwartaal;

    static NativeDashboardSummary fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct NativeOverdueInvoice {
    std::string invoiceId;
    std::optional<std::string> invoiceNumber;
    std::optional<std::string> customerName;
    std::int64_t outstandingCents = 0;
    std::int64_t daysOverdue = 0;
};

struct NativeAiSourcePassage {
    std::string content;
    std::optional<std::string> canonicalUrl;
    std::optional<std::string> section;
    std::optional<std::string> effectiveFrom;
};

struct NativeAiActionMeta {
    std::optional<std::vector<std::string>> bronnen;
    std::optional<std::string> peildatum;
    std::optional<std::string> disclaimer;
    std::optional<NativeAiSourcePassage> sourcePassage;
};

struct NativeAiActionChoice {
    std::string key;
    std::string label;
};

struct NativeAiActionItem {
    std::string id;
    std::string title;
    std::optional<std::string> body;
    std::optional<std::string> ctaLink;
    std::optional<NativeAiActionMeta> meta;
    std::optional<std::vector<NativeAiActionChoice>> availableActions;
    std::optional<std::string> invoiceId;
    std::optional<std::string> invoiceNumber;
};

struct NativeAiCashflowPoint {
    std::string datum;
    std::int64_t saldoCents = 0;
};

struct NativeAiIbForecast {
    std::int64_t low = 0;
    std::int64_t expected = 0;
    std::int64_t high = 0;
};

struct NativeAiSubscore {
    std::string key;
    std::string label;
    bool applicable = false;
    std::int64_t count = 0;
    std::int64_t deduction = 0;
};

struct NativeAiCard {
    std::string id;
    std::string state;
    std::string aiText;
    std::optional<std::int64_t> vrijBesteedbaarCents;
    std::optional<std::int64_t> btwExpectedCents;
    std::optional<std::int64_t> revenueThisMonthCents;
    std::optional<std::int64_t> score;
    std::optional<std::vector<NativeAiCashflowPoint>> recentCashflowSeries;
    std::optional<std::int64_t> ibReserveSoFarCents;
    std::optional<NativeAiIbForecast> ibForecastCents;
    std::optional<std::int64_t> revenuePrevMonthCents;
    std::optional<std::int64_t> profitThisMonthCents;
    std::optional<std::int64_t> profitPrevMonthCents;
    std::optional<bool> costsReliable;
    std::optional<std::vector<NativeAiSubscore>> subscores;
};

struct NativeDashboardBriefing {
    bool enabled = false;
    std::optional<std::string> greetingTitle, kickerLine, contextLine, narrative, narrativeSource, insight;
    std::optional<std::vector<NativeOverdueInvoice>> overdueInvoices;
    std::optional<std::int64_t> overdueCount;
    std::optional<std::int64_t> overdueTotalCents;
    std::optional<std::int64_t> weekNumber;
    std::optional<std::int64_t> revenueThisMonthCents;
    std::optional<double> revenueDeltaPercent;
    std::optional<bool> hasAnyInvoice;
    std::optional<std::vector<NativeAiActionItem>> actions;
    std::optional<std::vector<NativeAiCard>> cards;

    static NativeDashboardBriefing fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

// GET api/native/v1/dashboard/summary?period= ("fetch" mapping).
NativeDashboardSummary summary(SyncAPIClient& client, NativeDashboardPeriod period);
// GET api/native/v1/dashboard/briefing ("fetch" mapping).
NativeDashboardBriefing briefing(SyncAPIClient& client);
// POST api/native/v1/dashboard/action {actionId, decision, snoozeUntilDate (left out when absent)}
// ("action" mapping); the answer's `ok`.
bool decide(SyncAPIClient& client, const std::string& actionId, NativeAiActionDecision decision,
            const std::optional<std::string>& snoozeUntilDate = std::nullopt);

}  // namespace zelvorin::dashboardactions
