#include "service/dashboard/DashboardSummary.h"

#include <algorithm>
#include <map>

#include "domain/Timestamps.h"
#include "service/btw/VatQuarter.h"
#include "service/btw/VatQuarterFacts.h"
#include "service/dashboard/DashboardFacts.h"
#include "service/dashboard/DashboardPeriod.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;
using namespace dashboard;

// Income tax set aside from the year's profit so far: a flat share, enough for a sole trader's
// lower brackets after the entrepreneur's deductions, shown as its own line so it can be judged.
constexpr std::int64_t kIncomeTaxReservePercent = 30;

Json optionalText(const std::optional<std::string>& value) {
    return value ? Json(*value) : Json(nullptr);
}

std::string earliestDate(const DashboardFacts& facts) {
    std::string earliest;
    const auto consider = [&](const std::string& date) {
        if (!date.empty() && (earliest.empty() || date < earliest)) earliest = date;
    };
    for (const InvoiceFact& invoice : facts.invoices)
        if (invoice.number) consider(invoice.issueDate);
    for (const TransactionFact& transaction : facts.transactions)
        consider(transaction.date);
    return earliest;
}

Json recentActivity(const DashboardFacts& facts) {
    std::vector<const InvoiceFact*> invoices;
    for (const InvoiceFact& invoice : facts.invoices)
        invoices.push_back(&invoice);
    std::ranges::sort(invoices, std::greater<>{},
                      [](const InvoiceFact* i) { return std::tie(i->updatedAt, i->id); });
    Json items = Json::array();
    for (std::size_t n = 0; n < invoices.size() && n < 10; ++n) {
        const InvoiceFact& i = *invoices[n];
        items.push_back(Json{{"id", i.id},
                             {"invoiceNumber", optionalText(i.number)},
                             {"status", i.status},
                             {"totalCents", i.totalCents},
                             {"customerName", i.customerName},
                             {"updatedAt", i.updatedAt}});
    }
    return items;
}

Json upcomingDueDates(const DashboardFacts& facts, const std::string& today) {
    std::vector<const InvoiceFact*> open;
    for (const InvoiceFact& invoice : facts.invoices)
        if (invoice.openCents > 0) open.push_back(&invoice);
    std::ranges::sort(open, {}, [](const InvoiceFact* i) { return std::tie(i->dueDate, i->id); });
    Json items = Json::array();
    for (std::size_t n = 0; n < open.size() && n < 5; ++n) {
        const InvoiceFact& i = *open[n];
        items.push_back(Json{{"id", i.id},
                             {"invoiceNumber", optionalText(i.number)},
                             {"customerName", i.customerName},
                             {"totalCents", i.totalCents},
                             {"dueDate", i.dueDate.empty() ? Json(nullptr) : Json(i.dueDate)},
                             {"isOverdue", !i.dueDate.empty() && i.dueDate < today}});
    }
    return items;
}

struct MonthFigures {
    std::int64_t revenue = 0, income = 0, expenses = 0, open = 0;
};

Json vatPerQuarter(const btw::QuarterFacts& vatFacts, const DayRange& range) {
    Json quarters = Json::array();
    for (const std::string& month : monthsOf(range)) {
        const int monthNumber = std::stoi(month.substr(5, 2));
        if ((monthNumber - 1) % 3 != 0 && month != range.first.substr(0, 7)) continue;
        const int year = std::stoi(month.substr(0, 4));
        const int quarter = (monthNumber - 1) / 3 + 1;
        if (!btw::isValidPeriod(year, quarter)) continue;
        const btw::QuarterSummary summary = btw::computeQuarter(vatFacts, year, quarter);
        quarters.push_back(Json{{"kwartaal", "Q" + std::to_string(quarter) + " " + std::to_string(year)},
                                {"teBetalen", summary.totalBtwAf},
                                {"teVorderen", summary.totalVoorbelasting},
                                {"perSaldo", summary.perSaldo}});
    }
    return quarters;
}

}  // namespace

Json dashboardSummary(const ServiceDatabase& database, const Caller& caller, const std::string& period,
                      const std::optional<std::string>& from, const std::optional<std::string>& to,
                      TimePoint now) {
    const auto today = std::chrono::year_month_day{amsterdamDate(now)};
    const std::string todayText = formatCalendarDate(today);
    const std::string thisMonth = todayText.substr(0, 7);
    const auto [facts, vatFacts] = database.read([&](Connection& db) {
        return std::pair(gatherFacts(db, caller), btw::gatherFacts(db, caller.organizationId));
    });
    const DayRange range = periodRange(period, today, earliestDate(facts), from, to);

    std::int64_t revenueThisMonth = 0, outstanding = 0, overdue = 0, outstandingCount = 0, overdueCount = 0;
    std::optional<std::string> overduePrimary;
    std::int64_t largestOverdue = 0;
    std::map<std::string, MonthFigures> months;
    for (const std::string& month : monthsOf(range))
        months[month];
    for (const InvoiceFact& invoice : facts.invoices) {
        if (!invoice.number) continue;
        const std::string month = invoice.issueDate.substr(0, 7);
        if (invoice.revenue && month == thisMonth) revenueThisMonth += invoice.subtotalCents;
        if (range.holds(invoice.issueDate)) {
            if (invoice.revenue) months[month].revenue += invoice.subtotalCents;
            months[month].open += invoice.openCents;
        }
        if (invoice.openCents <= 0) continue;
        outstanding += invoice.openCents;
        ++outstandingCount;
        if (!invoice.dueDate.empty() && invoice.dueDate < todayText) {
            overdue += invoice.openCents;
            ++overdueCount;
            if (invoice.openCents > largestOverdue) {
                largestOverdue = invoice.openCents;
                overduePrimary = invoice.id;
            }
        }
    }

    std::int64_t balance = 0, unmatched = 0, missing = 0;
    Json cashflow = Json::array();
    for (const TransactionFact& transaction : facts.transactions) {
        balance += transaction.signedCents;
        if (transaction.signedCents > 0 && !transaction.matched && !transaction.categorised) ++unmatched;
        if (transaction.signedCents < 0 && !transaction.matched && !transaction.categorised) ++missing;
        if (!range.holds(transaction.date)) continue;
        MonthFigures& month = months[transaction.date.substr(0, 7)];
        (transaction.signedCents > 0 ? month.income : month.expenses) += std::abs(transaction.signedCents);
        if (!cashflow.empty() && cashflow.back()["datum"] == transaction.date)
            cashflow.back()["saldoCents"] = balance;
        else
            cashflow.push_back(Json{{"datum", transaction.date}, {"saldoCents", balance}});
    }

    const int quarter = (static_cast<int>(static_cast<unsigned>(today.month())) - 1) / 3 + 1;
    const int year = static_cast<int>(today.year());
    const btw::QuarterSummary vat = btw::computeQuarter(vatFacts, year, quarter);
    std::int64_t yearProfit = vat.kor.turnoverCents;
    for (const btw::OutgoingTransaction& cost : vatFacts.outgoing)
        if (cost.date.substr(0, 4) == todayText.substr(0, 4) && cost.category) yearProfit -= cost.amountCents;
    const std::int64_t incomeTaxReserve =
        std::max<std::int64_t>(0, yearProfit) * kIncomeTaxReservePercent / 100;
    const std::int64_t vatOwed = std::max<std::int64_t>(0, vat.perSaldo);

    Json revenueByMonth = Json::array(), incomeAndExpenses = Json::array(), openPerMonth = Json::array();
    for (const auto& [month, figures] : months) {
        revenueByMonth.push_back(Json{{"month", month}, {"totalCents", figures.revenue}});
        incomeAndExpenses.push_back(
            Json{{"month", month}, {"inkomsten", figures.income}, {"uitgaven", figures.expenses}});
        openPerMonth.push_back(Json{{"maand", month}, {"openstaandCents", figures.open}});
    }
    std::int64_t kvitraNew = 0;
    for (const InboxFact& item : facts.inbox)
        if (item.status == "nieuw") ++kvitraNew;

    return Json{{"serverTime", formatTimestampMillis(now)},
                {"revenueThisMonthCents", revenueThisMonth},
                {"outstandingCents", outstanding},
                {"outstandingCount", outstandingCount},
                {"overdueCents", overdue},
                {"overdueCount", overdueCount},
                {"recentActivity", recentActivity(facts)},
                {"bankBalanceCents", balance},
                {"btwSaldoCents", vat.perSaldo},
                {"overduePrimaryInvoiceId", optionalText(overduePrimary)},
                {"btwLabel", "Q" + std::to_string(quarter) + " " + std::to_string(year)},
                {"vrijTeBestedenCents", balance - vatOwed - incomeTaxReserve},
                {"vrijTeBestedenOpbouw", Json{{"banksaldoCents", balance},
                                              {"btwSchuldCents", vatOwed},
                                              {"ibReserveCents", incomeTaxReserve}}},
                {"vrijTeBestedenBeschikbaar", !facts.transactions.empty()},
                {"kvitraNewCount", kvitraNew},
                {"missingInvoiceCount", missing},
                {"unmatchedTransactionCount", unmatched},
                {"upcomingDueDates", upcomingDueDates(facts, todayText)},
                {"revenueByMonth", std::move(revenueByMonth)},
                {"inkomstenUitgaven", std::move(incomeAndExpenses)},
                {"btwPerKwartaal", vatPerQuarter(vatFacts, range)},
                {"cashflow", std::move(cashflow)},
                {"openstaandPerMaand", std::move(openPerMonth)}};
}

}  // namespace zelvorin::service
