#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace zelvorin::service::dashboard {

// The days a dashboard period covers, "yyyy-MM-dd" inclusive.
struct DayRange {
    std::string first;
    std::string last;
    bool holds(const std::string& date) const {
        const std::string day = date.substr(0, 10);
        return !day.empty() && day >= first && day <= last;
    }
};

// "kwartaal" (this quarter so far), "jaar" (this year so far), "vorig_jaar", "alles" (from
// `earliest` on) and "aangepast" (`from`–`to`, or the last twelve months when they are not given).
// Throws ServiceError(unprocessable) with a Dutch text for another period or an unreadable date.
DayRange periodRange(const std::string& period, std::chrono::year_month_day today,
                     const std::string& earliest, const std::optional<std::string>& from,
                     const std::optional<std::string>& to);

// The months "yyyy-MM" from the range's first to its last day.
std::vector<std::string> monthsOf(const DayRange& range);

}  // namespace zelvorin::service::dashboard
