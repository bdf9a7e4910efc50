#include "service/dashboard/DashboardBriefing.h"

#include <algorithm>
#include <cmath>

#include "domain/Money.h"
#include "domain/Timestamps.h"
#include "service/btw/VatQuarter.h"
#include "service/btw/VatQuarterFacts.h"
#include "service/dashboard/BriefingDecisions.h"
#include "service/dashboard/DashboardFacts.h"
#include "service/http/ServiceError.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;
using namespace dashboard;

// How many overdue invoices the briefing names one by one; the rest are in the count.
constexpr std::size_t kOverdueActions = 5;
// The VAT return is announced this many days before it falls due (the last day of the month
// after the quarter), so the last weeks of a quarter already point at it.
constexpr int kVatNoticeDays = 45;

Json choices() {
    return Json::array({Json{{"key", "done"}, {"label", "Gedaan"}},
                        Json{{"key", "snoozed"}, {"label", "Later"}},
                        Json{{"key", "dismissed"}, {"label", "Negeren"}}});
}

int isoWeek(year_month_day date) {
    const sys_days day{date};
    const weekday wd{day};
    const sys_days thursday = day + days{3 - static_cast<int>((wd.c_encoding() + 6) % 7)};
    const year_month_day thursdayDate{thursday};
    return static_cast<int>((thursday - sys_days{thursdayDate.year() / January / 1}).count() / 7 + 1);
}

std::string greeting(TimePoint now) {
    const auto local = now + amsterdamUtcOffset(now);
    const auto hour = duration_cast<hours>(local - floor<days>(local)).count();
    return hour < 12 ? "Goedemorgen" : hour < 18 ? "Goedemiddag" : "Goedenavond";
}

struct VatDeadline {
    int year = 0, quarter = 0;
    year_month_day due;
};

// The return of the current or the previous quarter, whichever falls due next from `today`.
VatDeadline nextVatDeadline(year_month_day today) {
    int year = static_cast<int>(today.year());
    int quarter = (static_cast<int>(static_cast<unsigned>(today.month())) - 1) / 3 + 1;
    if (--quarter == 0) {
        quarter = 4;
        --year;
    }
    for (int step = 0; step < 2; ++step) {
        const year_month dueMonth =
            std::chrono::year{year} / month{static_cast<unsigned>(quarter * 3)} + months{1};
        const year_month_day due{dueMonth / last};
        if (sys_days{due} >= sys_days{today}) return {year, quarter, due};
        if (++quarter == 5) {
            quarter = 1;
            ++year;
        }
    }
    return {year, quarter, today};
}

bool stillOpen(const std::map<std::string, briefingdecisions::Decision>& decisions, const std::string& id,
               const std::string& today) {
    const auto found = decisions.find(id);
    if (found == decisions.end()) return true;
    return found->second.decision == "snoozed" && found->second.snoozeUntil.value_or("") <= today;
}

}  // namespace

Json dashboardBriefing(const ServiceDatabase& database, const Caller& caller, TimePoint now) {
    const year_month_day today = amsterdamDate(now);
    const std::string todayText = formatCalendarDate(today);
    const auto [facts, vatFacts, decisions] = database.read([&](Connection& db) {
        return std::tuple(gatherFacts(db, caller), btw::gatherFacts(db, caller.organizationId),
                          briefingdecisions::all(db, caller.organizationId));
    });

    Json actions = Json::array();
    const auto offer = [&](Json action) {
        if (!stillOpen(decisions, action["id"], todayText)) return;
        action["availableActions"] = choices();
        actions.push_back(std::move(action));
    };

    std::vector<const InvoiceFact*> overdue;
    std::int64_t overdueTotal = 0, revenueThisMonth = 0, revenuePreviousMonth = 0;
    const std::string thisMonth = todayText.substr(0, 7);
    const std::string previousMonth =
        formatCalendarDate(year_month_day{today.year() / today.month() / 1} - months{1}).substr(0, 7);
    for (const InvoiceFact& invoice : facts.invoices) {
        if (invoice.revenue && invoice.issueDate.starts_with(thisMonth))
            revenueThisMonth += invoice.subtotalCents;
        if (invoice.revenue && invoice.issueDate.starts_with(previousMonth))
            revenuePreviousMonth += invoice.subtotalCents;
        if (invoice.openCents > 0 && !invoice.dueDate.empty() && invoice.dueDate < todayText) {
            overdue.push_back(&invoice);
            overdueTotal += invoice.openCents;
        }
    }
    std::ranges::sort(overdue, std::greater<>{}, &InvoiceFact::openCents);
    Json overdueList = Json::array();
    for (const InvoiceFact* invoice : overdue) {
        const auto daysOverdue = (sys_days{today} - sys_days{*parseCalendarDate(invoice->dueDate)}).count();
        overdueList.push_back(
            Json{{"invoiceId", invoice->id},
                 {"invoiceNumber", invoice->number ? Json(*invoice->number) : Json(nullptr)},
                 {"customerName", invoice->customerName},
                 {"outstandingCents", invoice->openCents},
                 {"daysOverdue", daysOverdue}});
        if (overdueList.size() > kOverdueActions) continue;
        const std::string number = invoice->number.value_or(invoice->id);
        offer(Json{{"id", "herinnering-" + invoice->id},
                   {"title", "Stuur een herinnering voor " + number},
                   {"body", formatEuro(invoice->openCents) + " van " + invoice->customerName + " is " +
                                std::to_string(daysOverdue) + " dagen over de vervaldatum."},
                   {"ctaLink", "zelvorin://invoice/" + invoice->id},
                   {"invoiceId", invoice->id},
                   {"invoiceNumber", number}});
    }

    std::int64_t unmatched = 0, unmatchedCents = 0;
    std::string newestUnmatched;
    for (const TransactionFact& transaction : facts.transactions) {
        if (transaction.signedCents <= 0 || transaction.matched || transaction.categorised) continue;
        ++unmatched;
        unmatchedCents += transaction.signedCents;
        newestUnmatched = transaction.id;
    }
    if (unmatched > 0) {
        offer(Json{{"id", "betalingen-" + newestUnmatched},
                   {"title", std::to_string(unmatched) +
                                 (unmatched == 1 ? " ontvangen betaling" : " ontvangen betalingen") +
                                 " nog niet gekoppeld"},
                   {"body", "Samen " + formatEuro(unmatchedCents) +
                                ". Koppel ze aan een factuur, dan klopt wat er openstaat."},
                   {"ctaLink", "zelvorin://bank?filter=onbekend"}});
    }

    const VatDeadline deadline = nextVatDeadline(today);
    const auto daysLeft = (sys_days{deadline.due} - sys_days{today}).count();
    if (daysLeft <= kVatNoticeDays && btw::isValidPeriod(deadline.year, deadline.quarter)) {
        const btw::QuarterSummary vat = btw::computeQuarter(vatFacts, deadline.year, deadline.quarter);
        const std::string label =
            "Q" + std::to_string(deadline.quarter) + " " + std::to_string(deadline.year);
        offer(Json{
            {"id", "btw-" + std::to_string(deadline.year) + "-Q" + std::to_string(deadline.quarter)},
            {"title", "Btw-aangifte " + label + " uiterlijk " + formatCalendarDate(deadline.due)},
            {"body",
             std::string(vat.perSaldo >= 0 ? "Per saldo te betalen: " : "Per saldo terug te vragen: ") +
                 formatEuro(std::llabs(vat.perSaldo)) + " (nog " + std::to_string(daysLeft) + " dagen)."},
            {"ctaLink", "zelvorin://btw?jaar=" + std::to_string(deadline.year) +
                            "&kwartaal=" + std::to_string(deadline.quarter)},
            {"meta", Json{{"bronnen", Json::array({"Aangifte omzetbelasting: uiterlijk de laatste dag van "
                                                   "de maand na het kwartaal"})},
                          {"peildatum", todayText}}}});
    }

    std::int64_t waiting = 0;
    const InboxFact* newestWaiting = nullptr;
    for (const InboxFact& item : facts.inbox) {
        if (item.status != "nieuw") continue;
        ++waiting;
        if (!newestWaiting || item.receivedAt > newestWaiting->receivedAt) newestWaiting = &item;
    }
    if (newestWaiting) {
        offer(Json{{"id", "kvitra-" + newestWaiting->id},
                   {"title", std::to_string(waiting) +
                                 (waiting == 1 ? " document wacht" : " documenten wachten") + " in Kvitra"},
                   {"body", "Bekijk en categoriseer ze, dan telt de btw mee in de aangifte."},
                   {"ctaLink", "zelvorin://kvitra"}});
    }

    const bool hasAnyInvoice =
        std::ranges::any_of(facts.invoices, [](const InvoiceFact& i) { return i.number.has_value(); });
    std::string narrative = overdue.empty()
                                ? "Er staan geen facturen over de vervaldatum."
                                : std::to_string(overdue.size()) +
                                      (overdue.size() == 1 ? " factuur staat" : " facturen staan") +
                                      " over de vervaldatum, samen " + formatEuro(overdueTotal) + ".";
    narrative += " Omzet deze maand tot nu toe: " + formatEuro(revenueThisMonth) + " (excl. btw).";
    Json briefing{{"enabled", true},
                  {"greetingTitle", greeting(now)},
                  {"kickerLine", "Week " + std::to_string(isoWeek(today))},
                  {"contextLine", actions.empty()
                                      ? std::string("Niets dat op je wacht.")
                                      : std::to_string(actions.size()) +
                                            (actions.size() == 1 ? " punt" : " punten") + " voor deze week"},
                  {"narrative", narrative},
                  {"narrativeSource", "regels"},
                  {"overdueInvoices", std::move(overdueList)},
                  {"overdueCount", overdue.size()},
                  {"overdueTotalCents", overdueTotal},
                  {"weekNumber", isoWeek(today)},
                  {"revenueThisMonthCents", revenueThisMonth},
                  {"hasAnyInvoice", hasAnyInvoice},
                  {"actions", std::move(actions)}};
    if (revenuePreviousMonth > 0) {
        briefing["revenueDeltaPercent"] =
            std::round(1000.0 * static_cast<double>(revenueThisMonth - revenuePreviousMonth) /
                       static_cast<double>(revenuePreviousMonth)) /
            10.0;
    }
    return briefing;
}

Json decideBriefingAction(const ServiceDatabase& database, const Caller& caller, const std::string& actionId,
                          const std::string& decision, const std::optional<std::string>& snoozeUntil,
                          TimePoint now) {
    if (actionId.empty()) throw ServiceError(ErrorKind::unprocessable, "Welke actie? actionId ontbreekt.");
    if (decision != "done" && decision != "dismissed" && decision != "snoozed")
        throw ServiceError(ErrorKind::unprocessable,
                           "Onbekende keuze '" + decision + "': kies done, dismissed of snoozed.");
    const std::string today = formatCalendarDate(amsterdamDate(now));
    if (decision == "snoozed" && (!snoozeUntil || !parseCalendarDate(*snoozeUntil) || *snoozeUntil <= today))
        throw ServiceError(ErrorKind::unprocessable,
                           "Kies een datum na vandaag om de actie tot dan uit te stellen.");
    database.write([&](Connection& db) {
        briefingdecisions::put(db, caller.organizationId, actionId,
                               {decision, decision == "snoozed" ? snoozeUntil : std::nullopt}, caller.userId,
                               formatTimestampMillis(now));
    });
    return Json{{"ok", true}};
}

}  // namespace zelvorin::service
