#include "persistence/repositories/DashboardChartsRepository.h"

#include <array>
#include <cstdio>
#include <map>
#include <optional>

#include "domain/CheckedMath.h"
#include "domain/Timestamps.h"

namespace zelvorin {
namespace {

using namespace std::chrono;
using detail::checkedAdd;

constexpr const char* kRevenuePerMonth =
    "SELECT SUBSTR(issue_date, 1, 7) AS month,\n"
    "       COALESCE(SUM(subtotal_cents), 0) AS total\n"
    "FROM draft_invoice\n"
    "WHERE deleted_at IS NULL\n"
    "  AND status IN ('sent','delivered','viewed','overdue','partiallyPaid','paid','credited')\n"
    "  AND COALESCE(invoice_type, 'regular') = 'regular'\n"
    "  AND issue_date IS NOT NULL\n"
    "  AND SUBSTR(issue_date, 1, 10) >= ?\n"
    "  AND SUBSTR(issue_date, 1, 10) < ?\n"
    "GROUP BY month\n"
    "ORDER BY month ASC";

constexpr const char* kCashflow =
    "SELECT SUBSTR(transaction_date, 1, 10) AS day,\n"
    "       SUM(\n"
    "           CASE WHEN direction = 'in'\n"
    "                THEN amount_cents\n"
    "                ELSE -amount_cents\n"
    "           END\n"
    "       ) AS netto\n"
    "FROM bank_transaction\n"
    "WHERE deleted_at IS NULL\n"
    "  AND transaction_date IS NOT NULL\n"
    "  AND SUBSTR(transaction_date, 1, 10) >= ?\n"
    "  AND SUBSTR(transaction_date, 1, 10) < ?\n"
    "GROUP BY day\n"
    "ORDER BY day ASC";

constexpr const char* kIncomeAndExpenses =
    "SELECT SUBSTR(transaction_date, 1, 7) AS month,\n"
    "       COALESCE(SUM(CASE WHEN direction = 'in'  THEN amount_cents ELSE 0 END), 0) AS inkomsten,\n"
    "       COALESCE(SUM(CASE WHEN direction != 'in' THEN amount_cents ELSE 0 END), 0) AS uitgaven\n"
    "FROM bank_transaction\n"
    "WHERE deleted_at IS NULL\n"
    "  AND transaction_date IS NOT NULL\n"
    "  AND SUBSTR(transaction_date, 1, 10) >= ?\n"
    "  AND SUBSTR(transaction_date, 1, 10) < ?\n"
    "GROUP BY month\n"
    "ORDER BY month ASC";

constexpr const char* kVatPaid =
    "SELECT SUBSTR(paid_at, 1, 10) AS paid_day,\n"
    "       COALESCE(vat_cents, 0)  AS vat\n"
    "FROM draft_invoice\n"
    "WHERE deleted_at IS NULL\n"
    "  AND status = 'paid'\n"
    "  AND paid_at IS NOT NULL\n"
    "  AND SUBSTR(paid_at, 1, 10) >= ?\n"
    "  AND SUBSTR(paid_at, 1, 10) < ?\n"
    "ORDER BY paid_day ASC";

constexpr const char* kEarliestPaid =
    "SELECT MIN(SUBSTR(paid_at,1,10)) FROM draft_invoice WHERE deleted_at IS NULL AND status='paid' AND "
    "paid_at IS NOT NULL";
constexpr const char* kEarliestTransaction =
    "SELECT MIN(SUBSTR(transaction_date,1,10)) FROM bank_transaction WHERE deleted_at IS NULL AND "
    "transaction_date IS NOT NULL";

std::string monthKey(year_month month) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u", static_cast<int>(month.year()),
                  static_cast<unsigned>(month.month()));
    return text;
}

std::string labelOf(const std::string& key) {
    if (const auto date = parseCalendarDate(key + "-01")) return dutchMonthLabel(unsigned(date->month()));
    return key;
}

// The keys of every month from the start's up to the one holding the last day of the range.
std::vector<std::string> monthsOf(const DayRange& range) {
    const auto start = parseCalendarDate(range.start);
    const auto end = parseCalendarDate(range.end);
    std::vector<std::string> keys;
    if (!start || !end || range.start >= range.end) return keys;
    const year_month_day last{sys_days(*end) - days(1)};
    for (year_month m = start->year() / start->month(); m <= last.year() / last.month(); m += months(1))
        keys.push_back(monthKey(m));
    return keys;
}

std::optional<std::string> earliestDay(Connection& db, const char* sql) {
    Statement& select = db.cached(sql);
    if (!select.step()) return std::nullopt;
    return select.optionalText(0);
}

}  // namespace

std::string dutchMonthLabel(unsigned month) {
    static constexpr std::array<const char*, 12> kLabels = {"jan", "feb", "mrt", "apr", "mei", "jun",
                                                            "jul", "aug", "sep", "okt", "nov", "dec"};
    return month >= 1 && month <= 12 ? kLabels[month - 1] : "";
}

DashboardChartsRepository::DashboardChartsRepository(AppDatabase database, std::shared_ptr<const Clock> clock)
    : database_(std::move(database)), clock_(std::move(clock)) {}

year_month_day DashboardChartsRepository::today() const {
    return year_month_day{floor<days>(clock_->now())};
}

DayRange DashboardChartsRepository::rangeIn(Connection& db, ChartPeriod period, year_month_day today) {
    const year_month current = today.year() / today.month();
    const auto day = [](year_month m) { return formatCalendarDate(m / 1); };
    switch (period) {
        case ChartPeriod::laatsteZesMaanden:
            return {day(current - months(5)), day(current + months(1))};
        case ChartPeriod::kwartaal: {
            const year_month first = today.year() / month((unsigned(today.month()) - 1) / 3 * 3 + 1);
            return {day(first), day(first + months(3))};
        }
        case ChartPeriod::jaar:
            return {day(today.year() / January), day((today.year() + years(1)) / January)};
        case ChartPeriod::vorigJaar:
            return {day((today.year() - years(1)) / January), day(today.year() / January)};
        case ChartPeriod::alles: {
            const std::string end = formatCalendarDate(year_month_day{sys_days(today) + days(1)});
            std::optional<std::string> start;
            for (const char* sql : {kEarliestPaid, kEarliestTransaction}) {
                const auto earliest = earliestDay(db, sql);
                if (earliest && parseCalendarDate(*earliest) && *earliest < end &&
                    (!start || *earliest < *start))
                    start = earliest;
            }
            return {start.value_or(day(current)), end};
        }
    }
    return {};
}

DayRange DashboardChartsRepository::range(ChartPeriod period) {
    return database_.writer->read([&](Connection& db) { return rangeIn(db, period, today()); });
}

std::vector<MonthlyPoint> DashboardChartsRepository::revenuePerMonth(ChartPeriod period) {
    return database_.writer->read([&](Connection& db) {
        const DayRange range = rangeIn(db, period, today());
        std::map<std::string, std::int64_t> totals;
        for (const std::string& key : monthsOf(range))
            totals[key] = 0;
        Statement& select = db.cached(kRevenuePerMonth);
        select.bindAll(range.start, range.end);
        while (select.step())
            totals[select.text("month")] = select.int64("total");
        std::vector<MonthlyPoint> points;
        for (const auto& [key, cents] : totals)
            points.push_back({key, labelOf(key), cents});
        return points;
    });
}

std::vector<CashflowPoint> DashboardChartsRepository::cashflow(ChartPeriod period) {
    return database_.writer->read([&](Connection& db) {
        const DayRange range = rangeIn(db, period, today());
        Statement& select = db.cached(kCashflow);
        select.bindAll(range.start, range.end);
        std::vector<CashflowPoint> points;
        std::int64_t saldo = 0;
        while (select.step()) {
            saldo = checkedAdd(saldo, select.int64("netto"));
            points.push_back({select.text("day"), saldo});
        }
        return points;
    });
}

std::vector<InkomstenUitgavenPoint> DashboardChartsRepository::incomeAndExpenses(ChartPeriod period) {
    return database_.writer->read([&](Connection& db) {
        const DayRange range = rangeIn(db, period, today());
        std::map<std::string, InkomstenUitgavenPoint> byMonth;
        for (const std::string& key : monthsOf(range))
            byMonth[key] = {key, labelOf(key), 0, 0};
        Statement& select = db.cached(kIncomeAndExpenses);
        select.bindAll(range.start, range.end);
        while (select.step()) {
            const std::string key = select.text("month");
            byMonth[key] = {key, labelOf(key), select.int64("inkomsten"), select.int64("uitgaven")};
        }
        std::vector<InkomstenUitgavenPoint> points;
        for (auto& [key, point] : byMonth)
            points.push_back(std::move(point));
        return points;
    });
}

std::vector<BtwQuarterPoint> DashboardChartsRepository::vatPerQuarter(ChartPeriod period) {
    return database_.writer->read([&](Connection& db) {
        const DayRange range = rangeIn(db, period, today());
        Statement& select = db.cached(kVatPaid);
        select.bindAll(range.start, range.end);
        // Keyed by year * 10 + quarter, which sorts the quarters in time order.
        std::map<int, std::int64_t> byQuarter;
        while (select.step()) {
            const auto day = parseCalendarDate(select.text("paid_day"));
            if (!day) continue;  // a payment stamp that is no date belongs to no quarter
            const int key = int(day->year()) * 10 + int((unsigned(day->month()) - 1) / 3 + 1);
            byQuarter[key] = checkedAdd(byQuarter[key], select.int64("vat"));
        }
        std::vector<BtwQuarterPoint> points;
        for (const auto& [key, vat] : byQuarter) {
            char label[24];
            std::snprintf(label, sizeof label, "Q%d %04d", key % 10, key / 10);
            points.push_back({label, vat, 0, vat});
        }
        return points;
    });
}

}  // namespace zelvorin
