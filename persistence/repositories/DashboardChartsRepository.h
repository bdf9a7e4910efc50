#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "domain/Clock.h"
#include "persistence/AppDatabase.h"

namespace zelvorin {

enum class ChartPeriod { laatsteZesMaanden, kwartaal, jaar, vorigJaar, alles };

struct MonthlyPoint {
    std::string monthKey;  // "yyyy-MM"
    std::string label;     // "jan" … "dec"
    std::int64_t cents = 0;
    bool operator==(const MonthlyPoint&) const = default;
};

struct CashflowPoint {
    std::string dateKey;  // "yyyy-MM-dd"
    std::int64_t saldoCents = 0;
    bool operator==(const CashflowPoint&) const = default;
};

struct InkomstenUitgavenPoint {
    std::string monthKey;
    std::string label;
    std::int64_t inkomstenCents = 0;
    std::int64_t uitgavenCents = 0;
    bool operator==(const InkomstenUitgavenPoint&) const = default;
};

struct BtwQuarterPoint {
    std::string kwartaalLabel;  // "Q2 2026"
    std::int64_t teBetalenCents = 0;
    std::int64_t teVorderenCents = 0;
    std::int64_t perSaldoCents = 0;
    bool operator==(const BtwQuarterPoint&) const = default;
};

// The days a period covers: start included, end excluded, both "yyyy-MM-dd".
struct DayRange {
    std::string start;
    std::string end;
    bool operator==(const DayRange&) const = default;
};

// The series behind the dashboard's charts, for a period counted from today's UTC date.
//
// Periods: laatsteZesMaanden is the current month and the five before it; kwartaal the current
// calendar quarter; jaar and vorigJaar the current and the previous calendar year; alles runs
// from the earliest payment day of a paid invoice or bank transaction day up to and including
// today. With neither (or only ones dated after today) alles starts on the first of the current
// month, so the charts still show the current month.
//
// Shape of the series, all in ascending key order:
//   - the two monthly series have one point for every month the period touches, zero where
//     nothing happened, so a chart's axis does not jump with the data;
//   - cash flow has a point only for the days with transactions, and saldoCents is the running
//     balance of the period's transactions up to and including that day (starting from zero at the
//     start of the period, not from a bank balance);
//   - VAT has a point only for the quarters with at least one paid invoice, oldest quarter first.
class DashboardChartsRepository {
public:
    DashboardChartsRepository(AppDatabase database, std::shared_ptr<const Clock> clock);

    DayRange range(ChartPeriod period);

    std::vector<MonthlyPoint> revenuePerMonth(ChartPeriod period);
    std::vector<CashflowPoint> cashflow(ChartPeriod period);
    std::vector<InkomstenUitgavenPoint> incomeAndExpenses(ChartPeriod period);
    std::vector<BtwQuarterPoint> vatPerQuarter(ChartPeriod period);

private:
    AppDatabase database_;
    std::shared_ptr<const Clock> clock_;
};

// "mrt" for 3: the month's abbreviation as Dutch calendars write it, without a dot. Empty outside
// 1 … 12.
std::string dutchMonthLabel(unsigned month);

}  // namespace zelvorin
