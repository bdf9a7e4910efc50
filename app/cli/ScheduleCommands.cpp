#include <charconv>
#include <memory>
#include <ostream>

#include "api-client/APIError.h"
#include "api-client/ScheduleActions.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Timestamps.h"
#include "persistence/PersistenceError.h"
#include "screens/InputError.h"

namespace zelvorin::cli {
namespace {

using namespace scheduleactions;

std::string dutchDate(const std::string& date) {
    return date.size() == 10 ? date.substr(8, 2) + "-" + date.substr(5, 2) + "-" + date.substr(0, 4) : date;
}

void printHolidays(CliContext& context, const std::string& yearText) {
    int year = 0;
    const auto [end, error] = std::from_chars(yearText.data(), yearText.data() + yearText.size(), year);
    if (error != std::errc{} || end != yearText.data() + yearText.size() || year < 1900 || year > 2199)
        throw InputError(InputError::Kind::invalidValue,
                         "Jaar '" + yearText + "' is geen jaar van 1900 tot en met 2199.");
    const std::vector<NLHolidayRecord> holidays = context.environment().holidays().records(year);
    if (context.json) {
        Json days = Json::array();
        for (const NLHolidayRecord& holiday : holidays)
            days.push_back(Json{{"date", holiday.date}, {"name", holiday.name}});
        return printJson(context, Json{{"year", year}, {"holidays", std::move(days)}});
    }
    if (holidays.empty()) {
        context.out() << "Geen feestdagen gevonden voor " << year << " (geen verbinding?).\n";
        return;
    }
    for (const NLHolidayRecord& holiday : holidays)
        context.out() << dutchDate(holiday.date) << "  " << holiday.name << '\n';
}

// The schedule must be known here, and known to the service: one made on this device is pushed
// first.
void requireScheduleOnService(CliContext& context, const std::string& scheduleId) {
    context.requireSignedIn();
    const auto schedule = context.environment().repositories().schedules.schedule(scheduleId);
    if (!schedule) throw PersistenceError::notFound("Schema '" + scheduleId + "'");
    if (schedule->syncState != "synced") context.environment().syncNow();
}

void printDaysOff(CliContext& context, const std::vector<NativeDayOff>& days) {
    if (context.json) {
        Json list = Json::array();
        for (const NativeDayOff& day : days)
            list.push_back(day.toJson());
        return printJson(context, Json{{"daysOff", std::move(list)}});
    }
    if (days.empty()) {
        context.out() << "Geen vrije dagen ingevoerd.\n";
        return;
    }
    for (const NativeDayOff& day : days)
        context.out() << dutchDate(day.date) << "  " << column(day.type, 10) << day.id << '\n';
}

struct DayOffOptions {
    std::string scheduleId;
    std::string date;
    std::string type = "vrij";
    std::string dayOffId;
};

void listDaysOff(CliContext& context, const DayOffOptions& options) {
    requireScheduleOnService(context, options.scheduleId);
    SyncAPIClient client = context.apiClient();
    printDaysOff(context, daysOff(client, options.scheduleId));
}

void addDay(CliContext& context, const DayOffOptions& options) {
    if (!parseCalendarDate(options.date))
        throw InputError(InputError::Kind::invalidValue,
                         "Datum '" + options.date + "' is geen datum; gebruik jjjj-mm-dd, bijv. 2026-04-15.");
    if (options.type != "vakantie" && options.type != "ziek" && options.type != "vrij")
        throw InputError(InputError::Kind::invalidValue,
                         "--type '" + options.type + "': kies vakantie, ziek of vrij.");
    requireScheduleOnService(context, options.scheduleId);
    SyncAPIClient client = context.apiClient();
    const NativeDayOff added = [&] {
        try {
            return addDayOff(client, options.scheduleId, options.date, options.type);
        } catch (const APIError& error) {
            // This call's answers carry no text of the service; a 409 can only mean the one thing.
            const auto* refused = std::get_if<APIError::HttpError>(&error.value());
            if (!refused || refused->status != 409) throw;
            throw APIError(APIError::Conflict{"Op " + dutchDate(options.date) + " staat al een vrije dag."});
        }
    }();
    if (context.json) return printJson(context, added.toJson());
    context.out() << "Vrije dag " << dutchDate(added.date) << " (" << added.type
                  << ") toegevoegd: " << added.id << '\n';
}

void removeDay(CliContext& context, const DayOffOptions& options) {
    requireScheduleOnService(context, options.scheduleId);
    SyncAPIClient client = context.apiClient();
    removeDayOff(client, options.scheduleId, options.dayOffId);
    if (context.json) return printJson(context, Json{{"removed", options.dayOffId}});
    context.out() << "Vrije dag " << options.dayOffId << " verwijderd.\n";
}

}  // namespace

void addScheduleCommands(CLI::App& app, CliContext& context) {
    auto year = std::make_shared<std::string>();
    auto* holidays = app.add_subcommand("holidays", "De Nederlandse feestdagen van een jaar");
    holidays->add_option("year", *year, "Het jaar, bijv. 2026")->required();
    holidays->callback([&context, year] { printHolidays(context, *year); });

    auto* schedule = app.add_subcommand("schedule", "Eén terugkerende factuur (auto-factuur)");
    schedule->require_subcommand(1);
    auto options = std::make_shared<DayOffOptions>();
    auto* daysOff = schedule->add_subcommand(
        "days-off", "De vrije dagen van een schema: tonen, add of rm (vereist verbinding)");
    daysOff->add_option("schedule", options->scheduleId, "Id van het schema")->required();
    daysOff->callback([&context, options, daysOff] {
        if (daysOff->get_subcommands().empty()) listDaysOff(context, *options);
    });
    auto* add = daysOff->add_subcommand("add", "Een vrije dag toevoegen");
    add->add_option("date", options->date, "De dag, jjjj-mm-dd")->required();
    add->add_option("--type", options->type, "vakantie, ziek of vrij (standaard vrij)");
    add->callback([&context, options] { addDay(context, *options); });
    auto* remove = daysOff->add_subcommand("rm", "Een vrije dag verwijderen");
    remove->add_option("id", options->dayOffId, "Id van de vrije dag")->required();
    remove->callback([&context, options] { removeDay(context, *options); });
}

}  // namespace zelvorin::cli
