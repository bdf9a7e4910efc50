#include <gtest/gtest.h>

#include "api-client/ScheduleActions.h"
#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "screens/ScheduleTexts.h"
#include "ui/InvoicesView.h"
#include "ui/ScheduleDialog.h"
#include "ui/SchedulesView.h"
#include "ui/tests/DesktopFixture.h"

namespace zelvorin::testing {
namespace {

using namespace std::chrono;

std::vector<std::string> invoicesOfSchedule(AppEnvironment& environment, const std::string& scheduleId) {
    return environment.database().writer->read([&](Connection& db) {
        std::vector<std::string> ids;
        Statement& query = db.cached("SELECT id FROM draft_invoice WHERE schedule_id = ?");
        query.bindAll(scheduleId);
        while (query.step())
            ids.push_back(query.text(0));
        return ids;
    });
}

// A schedule made in the window's editor is refused until it names a customer, then saved and
// synced; when the service's clock reaches its first moment the service bills it, and the invoice
// shows in Facturen after the next sync. Deleting asks first.
TEST(ScheduleSectionIntegrationTest, AScheduleMadeInTheWindowIsBilledByTheServiceAndShowsInFacturen) {
    // The service's clock stands at the desktop's moment, so moving it reaches the schedule's day.
    const TimePoint now = floor<seconds>(system_clock::now());
    ServiceProcess::Options options = ServiceProcess::demo();
    options.now = formatTimestampSeconds(now);
    ServiceProcess service(options);
    Desktop desktop(service);
    auto& schedules = desktop.section<ui::SchedulesView>(MainSection::autoFactuur);
    ASSERT_TRUE(eventually([&] { return schedules.model().rowCount() == 2; }));
    EXPECT_FALSE(schedules.emptyState()->isVisible());
    const QString hourlyRow =
        schedules.model().data(schedules.model().index(0, 1), Qt::DisplayRole).toString();
    EXPECT_EQ(hourlyRow, "Elke 4 weken op vrijdag om 09:00");

    ui::SectionContext context{*desktop.environment, desktop.mainExecutor, nullptr, {}};
    ui::ScheduleDialog dialog(context, std::nullopt);
    EXPECT_FALSE(dialog.save());
    EXPECT_EQ(dialog.errorText(), "Selecteer een contact.");
    dialog.customerBox()->setCurrentIndex(1);
    dialog.frequencyBox()->setCurrentIndex(0);  // Wekelijks
    const weekday tomorrow{sys_days{amsterdamDate(now)} + days{1}};
    dialog.billingDayBox()->setValue(static_cast<int>(tomorrow.iso_encoding()));
    for (int day = 0; day < 7; ++day)
        dialog.hoursBox(day)->setValue(0);
    EXPECT_FALSE(dialog.save());
    EXPECT_EQ(dialog.errorText(), "Selecteer minstens één werkdag met uren.");
    for (int day = 0; day < 7; ++day)
        dialog.hoursBox(day)->setValue(6);
    EXPECT_TRUE(dialog.previewText().startsWith("Volgende facturen: \n"));
    ASSERT_TRUE(dialog.save());
    ASSERT_TRUE(eventually([&] { return schedules.model().rowCount() == 3; }));

    desktop.window->syncNow();
    std::string scheduleId;
    ASSERT_TRUE(eventually([&] {
        for (const auto& schedule : desktop.environment->repositories().schedules.schedules())
            if (schedule.billingFrequency == "weekly" && schedule.syncState == "synced")
                scheduleId = schedule.id;
        return !scheduleId.empty();
    }));
    service.advanceClock(hours{48});
    desktop.window->syncNow();
    ASSERT_TRUE(eventually([&] { return invoicesOfSchedule(*desktop.environment, scheduleId).size() == 1; }));
    const std::string invoiceId = invoicesOfSchedule(*desktop.environment, scheduleId).front();
    auto& invoices = desktop.section<ui::InvoicesView>(MainSection::facturen);
    ASSERT_TRUE(eventually([&] {
        for (const InvoiceListItem& row : invoices.model().rows())
            if (row.id == invoiceId) return true;
        return false;
    }));

    auto& again = desktop.section<ui::SchedulesView>(MainSection::autoFactuur);
    int row = -1;
    for (int n = 0; n < again.model().rowCount(); ++n)
        if (again.model().row(n).id == scheduleId) row = n;
    ASSERT_GE(row, 0);
    again.select(row);
    QString asked;
    again.deleteSelected([&](const QString& question) {
        asked = question;
        return true;
    });
    EXPECT_EQ(asked.toStdString(), scheduletexts::kDeleteQuestion);
    ASSERT_TRUE(eventually([&] { return again.model().rowCount() == 2; }));
}

// Days off of a saved schedule are changed on the service from its dialog: a typed range becomes one
// day off per day, shown as one row beside the public holidays, taken off the next invoices, and
// removed as a row; a range that does not read is refused without a call.
TEST(ScheduleSectionIntegrationTest, DaysOffAreEnteredAsRangesAndRemovedAsRows) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    auto& schedules = desktop.section<ui::SchedulesView>(MainSection::autoFactuur);
    ASSERT_TRUE(eventually([&] { return schedules.model().rowCount() == 2; }));
    const InvoiceScheduleRecord hourly = schedules.model().row(0);
    ASSERT_EQ(hourly.scheduleType, "hourly");

    ui::SectionContext context{*desktop.environment,
                               desktop.mainExecutor,
                               std::shared_ptr<Executor>(std::shared_ptr<void>(), &desktop.worker),
                               {}};
    ui::ScheduleDialog dialog(context, hourly);
    const auto rows = [&] {
        std::vector<std::string> texts;
        for (int row = 0; row < dialog.daysOffList()->count(); ++row)
            texts.push_back(dialog.daysOffList()->item(row)->text().toStdString());
        return texts;
    };
    const auto hasRow = [&](const std::string& start) {
        const auto all = rows();
        return std::any_of(all.begin(), all.end(),
                           [&](const std::string& text) { return text.starts_with(start); });
    };
    ASSERT_TRUE(eventually([&] { return hasRow("Feestdag · "); }));
    const QString previewBefore = dialog.previewText();

    dialog.dayOffFromField()->setText("2026-07-24");
    dialog.dayOffToField()->setText("2026-07-20");
    dialog.addDayOffButton()->click();
    EXPECT_EQ(dialog.daysOffMessage(), "De einddatum ligt vóór de begindatum.");

    const sys_days today{amsterdamDate(system_clock::now())};
    dialog.dayOffFromField()->setText(ui::qText(formatCalendarDate(year_month_day{today + days{1}})));
    dialog.dayOffToField()->setText(ui::qText(formatCalendarDate(year_month_day{today + days{14}})));
    dialog.dayOffKindBox()->setCurrentIndex(1);  // Ziekteverzuim
    dialog.addDayOffButton()->click();
    ASSERT_TRUE(eventually([&] { return hasRow("Ziekteverzuim · "); }));
    EXPECT_EQ(scheduleactions::daysOff(desktop.environment->apiClient(), hourly.id).size(), 14u);
    EXPECT_NE(dialog.previewText(), previewBefore);  // the next invoices bill fewer hours

    for (int row = 0; row < dialog.daysOffList()->count(); ++row)
        if (dialog.daysOffList()->item(row)->text().startsWith("Ziekteverzuim"))
            dialog.daysOffList()->setCurrentRow(row);
    ASSERT_TRUE(dialog.removeDayOffButton()->isEnabled());
    dialog.removeDayOffButton()->click();
    ASSERT_TRUE(eventually([&] { return !hasRow("Ziekteverzuim · ") && dialog.daysOffMessage().isEmpty(); }));
    EXPECT_TRUE(scheduleactions::daysOff(desktop.environment->apiClient(), hourly.id).empty());
    EXPECT_EQ(dialog.previewText(), previewBefore);
}

}  // namespace
}  // namespace zelvorin::testing
