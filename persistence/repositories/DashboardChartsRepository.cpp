#include "persistence/repositories/DashboardChartsRepository.h"

#include <array>
#include <cstdio>
#include <functional>
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

year_month_day utcToday(const Clock& clock) {
    return year_month_day{floor<days>(clock.now())};
}

DayRange rangeIn(Connection& db, ChartPeriod period, year_month_day today) {
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

// Runs a series' statement over the period's range in one read, handing it each row; returns the
// range.
DayRange forEachRow(DatabaseWriter& writer, ChartPeriod period, year_month_day today, const char* sql,
                    const std::function<void(const Statement&)>& onRow) {
    return writer.read([&](Connection& db) {
        const DayRange range = rangeIn(db, period, today);
        Statement& select = db.cached(sql);
        select.bindAll(range.start, range.end);
        while (select.step())
            onRow(select);
        return range;
    });
}

// The points found, and a zero point for every other month of the range, by month key.
template <class Point>
std::vector<Point> filledMonths(const DayRange& range, std::map<std::string, Point> found) {
    for (const std::string& key : monthsOf(range))
        found.try_emplace(key, Point{key, labelOf(key)});
    std::vector<Point> points;
    for (auto& [key, point] : found)
        points.push_back(std::move(point));
    return points;
}

}  // namespace

std::string dutchMonthLabel(unsigned month) {
    static constexpr std::array<const char*, 12> kLabels = {"jan", "feb", "mrt", "apr", "mei", "jun",
                                                            "jul", "aug", "sep", "okt", "nov", "dec"};
    return month >= 1 && month <= 12 ? kLabels[month - 1] : "";
}

DashboardChartsRepository::DashboardChartsRepository(AppDatabase database, std::shared_ptr<const Clock> clock)
    : database_(std::move(database)), clock_(std::move(clock)) {}

DayRange DashboardChartsRepository::range(ChartPeriod period) {
    return database_.writer->read([&](Connection& db) { return rangeIn(db, period, utcToday(*clock_)); });
}

std::vector<MonthlyPoint> DashboardChartsRepository::revenuePerMonth(ChartPeriod period) {
    std::map<std::string, MonthlyPoint> found;
    const DayRange range =
        forEachRow(*database_.writer, period, utcToday(*clock_), kRevenuePerMonth, [&](const Statement& row) {
            const std::string key = row.text("month");
            found[key] = {key, labelOf(key), row.int64("total")};
        });
    return filledMonths(range, std::move(found));
}

std::vector<CashflowPoint> DashboardChartsRepository::cashflow(ChartPeriod period) {
    std::vector<CashflowPoint> points;
    std::int64_t saldo = 0;
    forEachRow(*database_.writer, period, utcToday(*clock_), kCashflow, [&](const Statement& row) {
        saldo = checkedAdd(saldo, row.int64("netto"));
        points.push_back({row.text("day"), saldo});
    });
    return points;
}

std::vector<InkomstenUitgavenPoint> DashboardChartsRepository::incomeAndExpenses(ChartPeriod period) {
    std::map<std::string, InkomstenUitgavenPoint> found;
    const DayRange range = forEachRow(
        *database_.writer, period, utcToday(*clock_), kIncomeAndExpenses, [&](const Statement& row) {
            const std::string key = row.text("month");
            found[key] = {key, labelOf(key), row.int64("inkomsten"), row.int64("uitgaven")};
        });
    return filledMonths(range, std::move(found));
}

std::vector<BtwQuarterPoint> DashboardChartsRepository::vatPerQuarter(ChartPeriod period) {
    // Keyed by year * 10 + quarter, which sorts the quarters in time order.
    std::map<int, std::int64_t> byQuarter;
    forEachRow(*database_.writer, period, utcToday(*clock_), kVatPaid, [&](const Statement& row) {
        const auto day = parseCalendarDate(row.text("paid_day"));
        if (!day) return;  // a payment stamp that is no date belongs to no quarter
        const int key = int(day->year()) * 10 + int((unsigned(day->month()) - 1) / 3 + 1);
        byQuarter[key] = checkedAdd(byQuarter[key], row.int64("vat"));
    });
    std::vector<BtwQuarterPoint> points;
    for (const auto& [key, vat] : byQuarter) {
        char label[24];
        std::snprintf(label, sizeof label, "Q%d %04d", key % 10, key / 10);
        points.push_back({label, vat, 0, vat});
    }
    return points;
}

}  // namespace zelvorin
