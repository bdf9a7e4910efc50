#include "api-client/DashboardActions.h"

#include <array>
#include <type_traits>

#include "api-client/ResponseFields.h"

namespace zelvorin::dashboardactions {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;
namespace fields = responsefields;

// Each record's members, in the order of the catalogue, written once for reading and for writing.
template <class V>
void describe(V& v, NativeDashboardActivityItem& x) {
    v("id", x.id), v("invoiceNumber", x.invoiceNumber), v("status", x.status), v("totalCents", x.totalCents),
        v("customerName", x.customerName), v("updatedAt", x.updatedAt);
}
template <class V>
void describe(V& v, NativeDashboardUpcomingItem& x) {
    v("id", x.id), v("invoiceNumber", x.invoiceNumber), v("customerName", x.customerName),
        v("totalCents", x.totalCents), v("dueDate", x.dueDate), v("isOverdue", x.isOverdue);
}
template <class V>
void describe(V& v, NativeVrijTeBestedenOpbouw& x) {
    v("banksaldoCents", x.banksaldoCents), v("btwSchuldCents", x.btwSchuldCents),
        v("ibReserveCents", x.ibReserveCents);
}
template <class V>
void describe(V& v, NativeRevenueMonth& x) {
    v("month", x.month), v("totalCents", x.totalCents);
}
template <class V>
void describe(V& v, NativeInkomstenUitgavenItem& x) {
    v("month", x.month), v("inkomsten", x.inkomsten), v("uitgaven", x.uitgaven);
}
template <class V>
void describe(V& v, NativeBtwPerKwartaalItem& x) {
    v("kwartaal", x.kwartaal), v("teBetalen", x.teBetalen), v("teVorderen", x.teVorderen),
        v("perSaldo", x.perSaldo);
}
template <class V>
void describe(V& v, NativeCashflowItem& x) {
    v("datum", x.datum), v("saldoCents", x.saldoCents);
}
template <class V>
void describe(V& v, NativeWinstVerliesItem& x) {
    v("month", x.month), v("winstCents", x.winstCents), v("prognoseCents", x.prognoseCents);
}
template <class V>
void describe(V& v, NativeOpenstaandMaandItem& x) {
    v("maand", x.maand), v("openstaandCents", x.openstaandCents);
}
template <class V>
void describe(V& v, NativeDashboardSummary& x) {
    v("serverTime", x.serverTime), v("revenueThisMonthCents", x.revenueThisMonthCents),
        v("outstandingCents", x.outstandingCents), v("outstandingCount", x.outstandingCount),
        v("overdueCents", x.overdueCents), v("overdueCount", x.overdueCount),
        v("recentActivity", x.recentActivity), v("bankBalanceCents", x.bankBalanceCents),
        v("btwSaldoCents", x.btwSaldoCents), v("overduePrimaryInvoiceId", x.overduePrimaryInvoiceId),
        v("btwLabel", x.btwLabel), v("vrijTeBestedenCents", x.vrijTeBestedenCents),
        v("vrijTeBestedenOpbouw", x.vrijTeBestedenOpbouw),
        v("vrijTeBestedenBeschikbaar", x.vrijTeBestedenBeschikbaar), v("margePercent", x.margePercent),
        v("winstDezeMaandCents", x.winstDezeMaandCents), v("margeReden", x.margeReden),
        v("kvitraNewCount", x.kvitraNewCount), v("missingInvoiceCount", x.missingInvoiceCount),
        v("unmatchedTransactionCount", x.unmatchedTransactionCount),
        v("upcomingDueDates", x.upcomingDueDates), v("revenueByMonth", x.revenueByMonth),
        v("inkomstenUitgaven", x.inkomstenUitgaven), v("btwPerKwartaal", x.btwPerKwartaal),
        v("cashflow", x.cashflow), v("winstVerlies", x.winstVerlies),
        v("openstaandPerMaand", x.openstaandPerMaand), v("btwSaldoPerKwartaal", x.btwSaldoPerKwartaal);
}
template <class V>
void describe(V& v, NativeOverdueInvoice& x) {
    v("invoiceId", x.invoiceId), v("invoiceNumber", x.invoiceNumber), v("customerName", x.customerName),
        v("outstandingCents", x.outstandingCents), v("daysOverdue", x.daysOverdue);
}
template <class V>
void describe(V& v, NativeAiSourcePassage& x) {
    v("content", x.content), v("canonicalUrl", x.canonicalUrl), v("section", x.section),
        v("effectiveFrom", x.effectiveFrom);
}
template <class V>
void describe(V& v, NativeAiActionMeta& x) {
    v("bronnen", x.bronnen), v("peildatum", x.peildatum), v("disclaimer", x.disclaimer),
        v("sourcePassage", x.sourcePassage);
}
template <class V>
void describe(V& v, NativeAiActionChoice& x) {
    v("key", x.key), v("label", x.label);
}
template <class V>
void describe(V& v, NativeAiActionItem& x) {
    v("id", x.id), v("title", x.title), v("body", x.body), v("ctaLink", x.ctaLink), v("meta", x.meta),
        v("availableActions", x.availableActions), v("invoiceId", x.invoiceId),
        v("invoiceNumber", x.invoiceNumber);
}
template <class V>
void describe(V& v, NativeAiCashflowPoint& x) {
    v("datum", x.datum), v("saldoCents", x.saldoCents);
}
template <class V>
void describe(V& v, NativeAiIbForecast& x) {
    v("low", x.low), v("expected", x.expected), v("high", x.high);
}
template <class V>
void describe(V& v, NativeAiSubscore& x) {
    v("key", x.key), v("label", x.label), v("applicable", x.applicable), v("count", x.count),
        v("deduction", x.deduction);
}
template <class V>
void describe(V& v, NativeAiCard& x) {
    v("id", x.id), v("state", x.state), v("aiText", x.aiText),
        v("vrijBesteedbaarCents", x.vrijBesteedbaarCents), v("btwExpectedCents", x.btwExpectedCents),
        v("revenueThisMonthCents", x.revenueThisMonthCents), v("score", x.score),
        v("recentCashflowSeries", x.recentCashflowSeries), v("ibReserveSoFarCents", x.ibReserveSoFarCents),
        v("ibForecastCents", x.ibForecastCents), v("revenuePrevMonthCents", x.revenuePrevMonthCents),
        v("profitThisMonthCents", x.profitThisMonthCents), v("profitPrevMonthCents", x.profitPrevMonthCents),
        v("costsReliable", x.costsReliable), v("subscores", x.subscores);
}
template <class V>
void describe(V& v, NativeDashboardBriefing& x) {
    v("enabled", x.enabled), v("greetingTitle", x.greetingTitle), v("kickerLine", x.kickerLine),
        v("contextLine", x.contextLine), v("narrative", x.narrative), v("narrativeSource", x.narrativeSource),
        v("insight", x.insight), v("overdueInvoices", x.overdueInvoices), v("overdueCount", x.overdueCount),
        v("overdueTotalCents", x.overdueTotalCents), v("weekNumber", x.weekNumber),
        v("revenueThisMonthCents", x.revenueThisMonthCents), v("revenueDeltaPercent", x.revenueDeltaPercent),
        v("hasAnyInvoice", x.hasAnyInvoice), v("actions", x.actions), v("cards", x.cards);
}

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};
template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

// Reads a value that is present (an optional's or a list's inner value).
template <class T>
void readValue(const Json& value, T& out);

struct Reader {
    const Json& body;
    template <class T>
    Reader& operator()(const char* key, T& out) {
        if constexpr (IsOptional<T>::value) {
            const auto found = fields::object(body).find(key);
            if (found == body.end() || found->is_null()) {
                out.reset();
            } else {
                typename T::value_type inner{};
                readValue(*found, inner);
                out = std::move(inner);
            }
        } else {
            const auto found = fields::object(body).find(key);
            if (found == body.end()) fields::invalid();
            readValue(*found, out);
        }
        return *this;
    }
};

template <class T>
void readValue(const Json& value, T& out) {
    if constexpr (std::is_same_v<T, std::string>) {
        if (!value.is_string()) fields::invalid();
        out = value.get<std::string>();
    } else if constexpr (std::is_same_v<T, bool>) {
        if (!value.is_boolean()) fields::invalid();
        out = value.get<bool>();
    } else if constexpr (std::is_same_v<T, std::int64_t>) {
        if (!value.is_number_integer()) fields::invalid();
        out = value.get<std::int64_t>();
    } else if constexpr (std::is_same_v<T, double>) {
        if (!value.is_number()) fields::invalid();
        out = value.get<double>();
    } else if constexpr (IsVector<T>::value) {
        if (!value.is_array()) fields::invalid();
        for (const Json& item : value) {
            typename T::value_type inner{};
            readValue(item, inner);
            out.push_back(std::move(inner));
        }
    } else {
        Reader reader{fields::object(value)};
        describe(reader, out);
    }
}

template <class T>
OrderedJson writeValue(const T& value);

struct Writer {
    OrderedJson& body;
    template <class T>
    Writer& operator()(const char* key, const T& value) {
        if constexpr (IsOptional<T>::value) {
            if (value) body[key] = writeValue(*value);
        } else {
            body[key] = writeValue(value);
        }
        return *this;
    }
};

template <class T>
OrderedJson writeValue(const T& value) {
    if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, bool> ||
                  std::is_same_v<T, std::int64_t> || std::is_same_v<T, double>) {
        return OrderedJson(value);
    } else if constexpr (IsVector<T>::value) {
        OrderedJson list = OrderedJson::array();
        for (const auto& item : value)
            list.push_back(writeValue(item));
        return list;
    } else {
        OrderedJson body = OrderedJson::object();
        Writer writer{body};
        T copy = value;
        describe(writer, copy);
        return body;
    }
}

constexpr std::array<std::string_view, 5> kPeriodValues{"kwartaal", "jaar", "vorig_jaar", "alles",
                                                        "aangepast"};
constexpr std::array<std::string_view, 3> kDecisionValues{"done", "dismissed", "snoozed"};

}  // namespace

std::string_view rawValue(NativeDashboardPeriod period) {
    return kPeriodValues[static_cast<std::size_t>(period)];
}

std::optional<NativeDashboardPeriod> parseDashboardPeriod(std::string_view raw) {
    for (NativeDashboardPeriod period : kAllDashboardPeriods)
        if (rawValue(period) == raw) return period;
    return std::nullopt;
}

std::string_view rawValue(NativeAiActionDecision decision) {
    return kDecisionValues[static_cast<std::size_t>(decision)];
}

std::optional<NativeAiActionDecision> parseAiActionDecision(std::string_view raw) {
    for (std::size_t n = 0; n < kDecisionValues.size(); ++n)
        if (kDecisionValues[n] == raw) return static_cast<NativeAiActionDecision>(n);
    return std::nullopt;
}

NativeDashboardSummary NativeDashboardSummary::fromJson(const Json& body) {
    NativeDashboardSummary summary;
    readValue(body, summary);
    return summary;
}

OrderedJson NativeDashboardSummary::toJson() const {
    return writeValue(*this);
}

NativeDashboardBriefing NativeDashboardBriefing::fromJson(const Json& body) {
    NativeDashboardBriefing briefing;
    readValue(body, briefing);
    return briefing;
}

OrderedJson NativeDashboardBriefing::toJson() const {
    return writeValue(*this);
}

NativeDashboardSummary summary(SyncAPIClient& client, NativeDashboardPeriod period) {
    return NativeDashboardSummary::fromJson(
        client.fetch("api/native/v1/dashboard/summary", {{"period", std::string(rawValue(period))}}));
}

NativeDashboardBriefing briefing(SyncAPIClient& client) {
    return NativeDashboardBriefing::fromJson(client.fetch("api/native/v1/dashboard/briefing"));
}

bool decide(SyncAPIClient& client, const std::string& actionId, NativeAiActionDecision decision,
            const std::optional<std::string>& snoozeUntilDate) {
    OrderedJson body{{"actionId", actionId}, {"decision", std::string(rawValue(decision))}};
    if (snoozeUntilDate) body["snoozeUntilDate"] = *snoozeUntilDate;
    const Json answer = client.action("POST", "api/native/v1/dashboard/action", body);
    return fields::flag(answer, "ok");
}

}  // namespace zelvorin::dashboardactions
