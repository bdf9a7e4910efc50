#include "screens/ScheduleTexts.h"

#include <utility>

namespace zelvorin::scheduletexts {

using namespace std::chrono;

namespace {

std::string twoDigits(unsigned value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

int monthStep(std::string_view frequency) {
    if (frequency == "quarterly") return 3;
    if (frequency == "half_yearly") return 6;
    if (frequency == "yearly") return 12;
    return 1;
}

}  // namespace

std::string frequencyLabel(std::string_view raw) {
    static constexpr std::pair<std::string_view, std::string_view> kLabels[]{
        {"weekly", "Wekelijks"},    {"biweekly", "2-wekelijks"},   {"four_weekly", "4-wekelijks"},
        {"monthly", "Maandelijks"}, {"quarterly", "Per kwartaal"}, {"half_yearly", "Per halfjaar"},
        {"yearly", "Per jaar"}};
    for (const auto& [value, label] : kLabels)
        if (value == raw) return std::string(label);
    return std::string(raw);
}

std::string weekdayName(std::int64_t day) {
    static constexpr std::string_view kNames[]{"maandag", "dinsdag",  "woensdag", "donderdag",
                                               "vrijdag", "zaterdag", "zondag"};
    return day >= 1 && day <= 7 ? std::string(kNames[day - 1]) : std::string();
}

std::string hourlySummary(const InvoiceScheduleRecord& schedule) {
    const std::string& t = schedule.billingTime;
    const std::string& frequency = schedule.billingFrequency;
    const std::string day = weekdayName(schedule.billingDay);
    if (frequency == "weekly") return "Elke " + day + " om " + t;
    if (frequency == "biweekly") return "Elke 2 weken op " + day + " om " + t;
    if (frequency == "four_weekly") return "Elke 4 weken op " + day + " om " + t;
    if (frequency == "monthly")
        return schedule.billingDay > 0
                   ? "Dag " + std::to_string(schedule.billingDay) + " van de maand om " + t
                   : "Laatste dag van de maand om " + t;
    return frequencyLabel(frequency);
}

std::optional<year_month_day> nextFixedInvoiceDate(std::string_view rawFrequency, std::int64_t billingDay,
                                                   year_month_day today) {
    const int step = monthStep(rawFrequency);
    const int m0 =
        static_cast<int>(today.year()) * 12 + static_cast<int>(static_cast<unsigned>(today.month())) - 1;
    for (int k = 0; k <= 24; ++k) {
        const int m = m0 + k;
        const year y{m / 12};
        const month mo{static_cast<unsigned>(m % 12 + 1)};
        const unsigned n = static_cast<unsigned>(year_month_day_last{y / mo / last}.day());
        const unsigned d = billingDay > 0 && billingDay <= static_cast<std::int64_t>(n)
                               ? static_cast<unsigned>(billingDay)
                               : n;
        const year_month_day candidate{y / mo / day{d}};
        if (sys_days{candidate} >= sys_days{today} && (static_cast<unsigned>(mo) - 1) % step == 0)
            return candidate;
    }
    return std::nullopt;
}

std::string rowText(const InvoiceScheduleRecord& schedule, year_month_day today) {
    if (schedule.scheduleType != "fixed") return hourlySummary(schedule);
    const auto next = nextFixedInvoiceDate(schedule.billingFrequency, schedule.billingDay, today);
    if (!next) return frequencyLabel(schedule.billingFrequency);
    return "Volgende factuur: " + twoDigits(static_cast<unsigned>(next->day())) + "-" +
           twoDigits(static_cast<unsigned>(next->month())) + "-" +
           std::to_string(static_cast<int>(next->year()));
}

}  // namespace zelvorin::scheduletexts
