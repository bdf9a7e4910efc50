#include "domain/ScheduleDescription.h"

#include <map>

namespace zelvorin {

using namespace std::chrono;

namespace {

std::string twoDigits(unsigned value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string dutchDate(sys_days day) {
    const year_month_day date{day};
    return twoDigits(static_cast<unsigned>(date.day())) + "-" +
           twoDigits(static_cast<unsigned>(date.month())) + "-" +
           std::to_string(static_cast<int>(date.year()));
}

}  // namespace

std::string_view dutchMonthName(unsigned month) {
    static constexpr std::string_view kNames[]{"januari",   "februari", "maart",    "april",
                                               "mei",       "juni",     "juli",     "augustus",
                                               "september", "oktober",  "november", "december"};
    return month >= 1 && month <= 12 ? kNames[month - 1] : std::string_view{};
}

std::string fillScheduleDescription(std::string_view text, const BillingPeriod& period,
                                    const std::string& customerName,
                                    const std::optional<std::string>& invoiceNumber) {
    const year_month_day first{period.from};
    const unsigned month = static_cast<unsigned>(first.month());
    std::map<std::string_view, std::string> values{
        {"jaar", std::to_string(static_cast<int>(first.year()))},
        {"kwartaal", "Q" + std::to_string((month - 1) / 3 + 1)},
        {"maand", twoDigits(month)},
        {"maandnaam", std::string(dutchMonthName(month))},
        {"weeknummer", std::to_string(isoWeekNumber(period.from))},
        {"periode", dutchDate(period.from) + " t/m " + dutchDate(period.through)},
        {"klantnaam", customerName},
    };
    if (invoiceNumber) values.emplace("factuurnummer", *invoiceNumber);
    std::string filled;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) break;
        filled += text.substr(at, open - at);
        const auto value = values.find(text.substr(open + 1, close - open - 1));
        filled += value != values.end() ? value->second : std::string(text.substr(open, close - open + 1));
        at = close + 1;
    }
    filled += text.substr(at);
    return filled;
}

}  // namespace zelvorin
