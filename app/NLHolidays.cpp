#include "app/NLHolidays.h"

#include <cstdlib>

#include <nlohmann/json.hpp>

#include "api-client/HttpSession.h"

namespace zelvorin {

namespace {

// The answer's items, all four members required; the holidays among them are those of type
// "Public" or "Bank", in the service's order, by their Dutch name.
std::optional<std::vector<NLHolidayRecord>> decode(const std::string& text) {
    const nlohmann::json body = nlohmann::json::parse(text, nullptr, false);
    if (!body.is_array()) return std::nullopt;
    std::vector<NLHolidayRecord> records;
    for (const nlohmann::json& item : body) {
        if (!item.is_object()) return std::nullopt;
        for (const char* key : {"date", "name", "localName"})
            if (!item.contains(key) || !item[key].is_string()) return std::nullopt;
        if (!item.contains("types") || !item["types"].is_array()) return std::nullopt;
        bool holiday = false;
        for (const nlohmann::json& type : item["types"]) {
            if (!type.is_string()) return std::nullopt;
            holiday = holiday || type == "Public" || type == "Bank";
        }
        if (holiday) records.push_back({item["date"], item["localName"]});
    }
    return records;
}

}  // namespace

NLHolidays::NLHolidays(std::shared_ptr<HttpSession> session, std::optional<BaseUrl> baseAddress,
                       std::shared_ptr<const Clock> clock)
    : session_(std::move(session)), baseAddress_(std::move(baseAddress)), clock_(std::move(clock)) {}

std::vector<NLHolidayRecord> NLHolidays::records(int year) {
    {
        std::lock_guard lock(mutex_);
        const auto cached = cache_.find(year);
        if (cached != cache_.end() && clock_->now() - cached->second.fetchedAt < kTtl)
            return cached->second.records;
    }
    std::optional<std::vector<NLHolidayRecord>> fetched = fetch(year);
    std::lock_guard lock(mutex_);
    if (fetched) {
        cache_[year] = {*fetched, clock_->now()};
        return *fetched;
    }
    const auto cached = cache_.find(year);
    return cached != cache_.end() ? cached->second.records : std::vector<NLHolidayRecord>{};
}

std::optional<std::vector<NLHolidayRecord>> NLHolidays::fetch(int year) const {
    if (!baseAddress_) return std::nullopt;
    HttpRequest request;
    request.url = baseAddress_->resolve("api/v3/publicholidays/" + std::to_string(year) + "/NL");
    request.timeout = std::chrono::seconds(15);
    try {
        const HttpResponse response = session_->send(request);
        if (response.status != 200) return std::nullopt;
        return decode(response.body);
    } catch (const std::exception&) {
        return std::nullopt;  // no connection: the cache answers
    }
}

std::optional<BaseUrl> publicHolidayServiceUrl(const BaseUrl& serviceUrl) {
    if (const char* configured = std::getenv("ZELVORIN_HOLIDAYS_URL"); configured && *configured)
        return BaseUrl::parse(configured);
    return serviceUrl;
}

}  // namespace zelvorin
