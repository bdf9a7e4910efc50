#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/BaseUrl.h"
#include "domain/Clock.h"

namespace zelvorin {

class HttpSession;

// A Dutch public holiday as the schedule screen shows it: the day and its Dutch name.
struct NLHolidayRecord {
    std::string date;  // "yyyy-MM-dd"
    std::string name;
    bool operator==(const NLHolidayRecord&) const = default;
};

// The Dutch public holidays of a year from a public holiday web service
// ("<base>api/v3/publicholidays/<year>/NL"), cached per year for seven days. Safe to call from
// several threads; two callers may both fetch a year, the last answer is kept. Never throws: a
// failure (no connection, another status, a body that does not decode) gives the cached records of
// the year whatever their age, or none, and is not cached.
class NLHolidays {
public:
    static constexpr std::chrono::seconds kTtl{604800};

    // `baseAddress`: none when no address can be built; every year is then a failure.
    NLHolidays(std::shared_ptr<HttpSession> session, std::optional<BaseUrl> baseAddress,
               std::shared_ptr<const Clock> clock);

    std::vector<NLHolidayRecord> records(int year);

private:
    struct Entry {
        std::vector<NLHolidayRecord> records;
        TimePoint fetchedAt;
    };
    std::optional<std::vector<NLHolidayRecord>> fetch(int year) const;

    std::shared_ptr<HttpSession> session_;
    std::optional<BaseUrl> baseAddress_;
    std::shared_ptr<const Clock> clock_;
    std::mutex mutex_;
    std::map<int, Entry> cache_;
};

// Where the public holidays come from: ZELVORIN_HOLIDAYS_URL when set (none when it does not parse),
// otherwise the service's own address, which answers the same query.
std::optional<BaseUrl> publicHolidayServiceUrl(const BaseUrl& serviceUrl);

}  // namespace zelvorin
