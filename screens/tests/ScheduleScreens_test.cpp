#include <gtest/gtest.h>

#include "domain/DutchPublicHolidays.h"
#include "domain/Timestamps.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "screens/DayOffGroups.h"
#include "screens/InputError.h"
#include "screens/ScheduleForm.h"
#include "screens/ScheduleTexts.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using namespace std::chrono;
using namespace scheduletexts;

std::string next(const char* frequency, std::int64_t day, year_month_day today) {
    const auto date = nextFixedInvoiceDate(frequency, day, today);
    return date ? formatCalendarDate(*date) : "geen";
}

TEST(ScheduleTextsTest, FixedNextDatesFollowTheMonthsAndTheirLastDays) {
    EXPECT_EQ(next("monthly", 31, 2026y / 2 / 10), "2026-02-28");
    EXPECT_EQ(next("monthly", 31, 2028y / 2 / 10), "2028-02-29");
    EXPECT_EQ(next("monthly", 31, 2026y / 3 / 1), "2026-03-31");
    EXPECT_EQ(next("monthly", 31, 2026y / 4 / 1), "2026-04-30");
    EXPECT_EQ(next("monthly", 15, 2026y / 4 / 15), "2026-04-15");  // today counts
    EXPECT_EQ(next("monthly", 15, 2026y / 4 / 16), "2026-05-15");
    EXPECT_EQ(next("monthly", 0, 2026y / 6 / 3), "2026-06-30");  // no billing day: the last day
    EXPECT_EQ(next("quarterly", 1, 2026y / 5 / 2), "2026-07-01");
    EXPECT_EQ(next("half_yearly", 1, 2026y / 1 / 2), "2026-07-01");
    EXPECT_EQ(next("yearly", 1, 2026y / 1 / 2), "2027-01-01");
    EXPECT_EQ(next("yearly", 1, 2026y / 1 / 1), "2026-01-01");

    // The row of a fixed schedule: the date as the screens write it, seen on the injected clock's day.
    const ManualClock clock(sys_days{2026y / 5 / 2} + hours{23});  // 3 May in Amsterdam
    InvoiceScheduleRecord fixed;
    fixed.scheduleType = "fixed";
    fixed.billingFrequency = "monthly";
    fixed.billingDay = 2;
    EXPECT_EQ(rowText(fixed, amsterdamDate(clock.now())), "Volgende factuur: 02-06-2026");
    fixed.billingFrequency = "per_eeuw";
    EXPECT_EQ(rowText(fixed, 2026y / 5 / 2),
              "Volgende factuur: 02-05-2026");  // an unknown step bills monthly
}

TEST(ScheduleTextsTest, HourlySummariesLabelsAndWeekdays) {
    InvoiceScheduleRecord hourly;
    hourly.billingTime = "08:30";
    hourly.billingDay = 5;
    const auto summary = [&](const char* frequency, std::int64_t day) {
        hourly.billingFrequency = frequency;
        hourly.billingDay = day;
        return rowText(hourly, 2026y / 1 / 1);
    };
    EXPECT_EQ(summary("weekly", 5), "Elke vrijdag om 08:30");
    EXPECT_EQ(summary("biweekly", 1), "Elke 2 weken op maandag om 08:30");
    EXPECT_EQ(summary("four_weekly", 7), "Elke 4 weken op zondag om 08:30");
    EXPECT_EQ(summary("monthly", 12), "Dag 12 van de maand om 08:30");
    EXPECT_EQ(summary("monthly", 0), "Laatste dag van de maand om 08:30");
    EXPECT_EQ(summary("quarterly", 1), "Per kwartaal");
    EXPECT_EQ(summary("om_de_zoveel", 1), "om_de_zoveel");
    EXPECT_EQ(frequencyLabel("half_yearly"), "Per halfjaar");
    EXPECT_EQ(weekdayName(0), "");
    EXPECT_EQ(weekdayName(3), "woensdag");
}

TEST(ScheduleFormTest, ValidationStopsAtTheFirstBrokenRuleWithItsText) {
    ScheduleForm form = ScheduleForm::newSchedule();
    EXPECT_EQ(form.validationError(true), "Selecteer een contact.");
    form.customerId = "klant";
    EXPECT_EQ(form.validationError(true), std::nullopt);
    form.workdays = {0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(form.validationError(true), "Selecteer minstens één werkdag met uren.");
    form.workdays[5] = 400;
    EXPECT_EQ(form.validationError(false, "verlegd"),
              "BTW-nummer is verplicht bij BTW verlegd. Voeg het toe in Instellingen -> Organisatie.");
    form.hourlyRateText = "vijftig";
    EXPECT_EQ(form.validationError(true), ScheduleForm::kInvalidRate);

    form.scheduleType = "fixed";
    EXPECT_EQ(form.validationError(true), "Voeg minstens één factuurregel toe.");
    form.lines = {{"a", "Onderhoud", "250,00", "nl_21"}, {"b", "  ", "10", "nl_21"}};
    EXPECT_EQ(form.validationError(true), "Elke factuurregel heeft een omschrijving nodig.");
    form.lines[1] = {"b", "Hosting", "tien euro", "nl_21"};
    EXPECT_EQ(form.validationError(true), "Elke factuurregel heeft een geldig bedrag nodig.");
    form.lines[1] = {"b", "Hosting", "19,95", "verlegd"};
    EXPECT_EQ(form.validationError(true), std::nullopt);
    EXPECT_EQ(form.validationError(false),
              "BTW-nummer is verplicht bij BTW verlegd. Voeg het toe in Instellingen -> Organisatie.");

    form.indexationMode = "fixed_percent";
    for (const char* accepted : {"0,1", "15", "15,00", "3"}) {
        form.indexationPercentText = accepted;
        EXPECT_EQ(form.validationError(true), std::nullopt) << accepted;
    }
    for (const char* refused : {"0,09", "15,01", "", "drie"}) {
        form.indexationPercentText = refused;
        EXPECT_EQ(form.validationError(true), "Voer een geldig percentage in (0,1% – 15%).") << refused;
    }
}

class ScheduleFormIntegrationTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    AppDatabase database = AppDatabase::openFile(dir / "zelvorin.sqlite");
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(sys_days{2026y / 3 / 16});
    ScheduleRepository schedules{database, clock};
    GRDBSyncStore store{database, clock};
};

TEST_F(ScheduleFormIntegrationTest, ANewScheduleIsSavedWithItsDefaultsAndAnEditQueuesOnlyWhatChanged) {
    ScheduleForm form = ScheduleForm::newSchedule();
    EXPECT_THROW(form.save(schedules, "org", true), InputError);
    EXPECT_TRUE(schedules.schedules().empty());

    form.customerId = "klant";
    const InvoiceScheduleRecord created = form.save(schedules, "org", true);
    EXPECT_EQ(created.scheduleType, "hourly");
    EXPECT_EQ(created.billingMode, "hours_per_week");
    EXPECT_EQ(created.billingFrequency, "four_weekly");
    EXPECT_EQ(created.billingDay, 5);
    EXPECT_EQ(created.billingTime, "09:00");
    EXPECT_EQ(created.rateCents, 9500);
    EXPECT_EQ(created.unitsPerWeek, 4000);
    EXPECT_EQ(created.descriptionTemplate, "{klantnaam} -- week {weeknummer}");
    EXPECT_FALSE(created.startDate);

    ScheduleForm again = ScheduleForm::fromRecord(*schedules.schedule(created.id));
    EXPECT_EQ(again.hourlyRateText, "95,00");
    EXPECT_EQ(again.workdays, (std::array<std::int64_t, 7>{800, 800, 800, 800, 800, 0, 0}));
    // The service accepted the create; the edit is an update of what changed.
    std::vector<std::string> keys;
    std::vector<PushAcceptedItem> accepted;
    for (const PushChange& change : store.pendingChangeBatch(10)) {
        keys.push_back(change.idempotencyKey);
        accepted.push_back({change.entityType, change.entityId, 1});
    }
    store.removeChanges(keys);
    store.markAccepted(accepted);
    again.billingFrequency = "weekly";
    again.workdays[4] = 400;
    again.save(schedules, "org", true);
    const std::vector<PushChange> queued = store.pendingChangeBatch(10);
    ASSERT_EQ(queued.size(), 1u);
    const PushChange& update = queued.front();
    EXPECT_EQ(update.operation, SyncOperation::update);
    ASSERT_TRUE(update.changedFields);
    std::vector<std::string> changed = *update.changedFields;
    std::sort(changed.begin(), changed.end());
    EXPECT_EQ(changed, (std::vector<std::string>{"billingFrequency", "unitsPerWeek", "workdays"}));
}

TEST(ScheduleFormTest, ThePreviewLeavesOutDaysOffAndHolidays) {
    ScheduleForm form = ScheduleForm::newSchedule();
    form.billingFrequency = "weekly";
    form.billingDay = 1;
    form.startDate = "2026-04-01";
    std::set<sys_days> off{sys_days{2026y / 4 / 15}};
    for (const DutchPublicHoliday& holiday : dutchPublicHolidays(2026y))
        if (holiday.dayOff) off.insert(sys_days{holiday.date});
    EXPECT_EQ(
        form.preview(2026y / 3 / 16, off, 2),
        (std::vector<std::string>{"06-04-2026 om 09:00 — 06-04-2026 t/m 12-04-2026 — 32 uur — € 3.040,00",
                                  "13-04-2026 om 09:00 — 13-04-2026 t/m 19-04-2026 — 32 uur — € 3.040,00"}));
    // Seen later, the weeks stay on the grid of the start date: every other Monday from 6 April.
    form.billingFrequency = "biweekly";
    EXPECT_EQ(
        form.preview(2026y / 4 / 14, off, 1),
        (std::vector<std::string>{"20-04-2026 om 09:00 — 20-04-2026 t/m 03-05-2026 — 72 uur — € 6.840,00"}));
    form.scheduleType = "fixed";
    EXPECT_TRUE(form.preview(2026y / 3 / 16, off).empty());
}

TEST(DayOffGroupsTest, ConsecutiveDaysOfOneKindAndHolidaysBecomeRanges) {
    const std::vector<DayOffItem> days{{"v2", sys_days{2026y / 4 / 15}, "vakantie"},
                                       {"v1", sys_days{2026y / 4 / 14}, "vakantie"},
                                       {"z1", sys_days{2026y / 4 / 16}, "ziek"},
                                       {"x1", sys_days{2026y / 4 / 20}, "verlof"},
                                       {"v3", sys_days{2026y / 4 / 17}, "vakantie"}};
    const std::vector<NLHolidayRecord> holidays{{"2026-04-05", "Eerste Paasdag"},
                                                {"2026-04-06", "Tweede Paasdag"}};
    const std::vector<DayOffGroup> groups = groupDaysOff(days, holidays);
    std::vector<std::string> shown;
    for (const DayOffGroup& group : groups)
        shown.push_back(dayOffLabel(group) + " " + dayOffDates(group) + " " + group.identity() +
                        (group.holidayName ? " " + *group.holidayName : ""));
    EXPECT_EQ(shown,
              (std::vector<std::string>{
                  "Feestdag 05-04-2026 – 06-04-2026 feestdag-2026-04-05 Eerste Paasdag en Tweede Paasdag",
                  "Vakantie 14-04-2026 – 15-04-2026 v1+v2", "Ziekteverzuim 16-04-2026 z1",
                  "Vakantie 17-04-2026 v3", "Vrij 20-04-2026 x1"}));
}

}  // namespace
}  // namespace zelvorin
