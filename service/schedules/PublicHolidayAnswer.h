#pragma once

#include <string_view>

#include <nlohmann/json.hpp>

namespace zelvorin::service {

// The public holidays of a year and country as the public holiday services answer them: an array
// of {date, localName, name, countryCode, fixed, global, counties, launchYear, types}. Only "NL" is
// known; the Dutch calendar's days off are of type "Public", Good Friday "Observance". Throws
// ServiceError: notFound for another country, badRequest for a year that is not 1900 … 2199.
nlohmann::ordered_json publicHolidayAnswer(std::string_view yearText, std::string_view countryCode);

}  // namespace zelvorin::service
