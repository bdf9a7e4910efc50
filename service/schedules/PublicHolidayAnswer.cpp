#include "service/schedules/PublicHolidayAnswer.h"

#include <charconv>
#include <string>

#include "domain/DutchPublicHolidays.h"
#include "domain/Timestamps.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

using Json = nlohmann::ordered_json;

Json publicHolidayAnswer(std::string_view yearText, std::string_view countryCode) {
    int year = 0;
    const auto [end, error] = std::from_chars(yearText.data(), yearText.data() + yearText.size(), year);
    if (error != std::errc{} || end != yearText.data() + yearText.size() || year < 1900 || year > 2199)
        throw ServiceError(ErrorKind::badRequest, "Jaar '" + std::string(yearText) +
                                                      "' wordt niet ondersteund (1900 tot en met 2199).");
    if (countryCode != "NL")
        throw ServiceError(ErrorKind::notFound,
                           "Geen feestdagen bekend voor land '" + std::string(countryCode) + "'.");
    Json days = Json::array();
    for (const DutchPublicHoliday& holiday : dutchPublicHolidays(std::chrono::year{year})) {
        const bool fixed = holiday.localName == "Nieuwjaarsdag" || holiday.localName == "Bevrijdingsdag" ||
                           holiday.localName.ends_with("Kerstdag");
        days.push_back(Json{{"date", formatCalendarDate(holiday.date)},
                            {"localName", holiday.localName},
                            {"name", holiday.name},
                            {"countryCode", "NL"},
                            {"fixed", fixed},
                            {"global", true},
                            {"counties", nullptr},
                            {"launchYear", nullptr},
                            {"types", Json::array({holiday.dayOff ? "Public" : "Observance"})}});
    }
    return days;
}

}  // namespace zelvorin::service
