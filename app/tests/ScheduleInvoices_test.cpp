#include <gtest/gtest.h>

#include "api-client/ScheduleActions.h"
#include "app/tests/EnvironmentFixture.h"
#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "sync/JSONValue.h"

// A schedule made on a device, billed by the service on its own clock, back on the device by pull.
namespace zelvorin::testing {
namespace {

using namespace std::chrono;

TEST(ScheduleInvoicesIntegrationTest,
     AWeeklyScheduleBillsFourAprilWeeksOnceAcrossARestartAndTheyReachTheDevice) {
    ServiceProcess::Options options = ServiceProcess::demo();
    options.now = "2026-03-16T10:00:00Z";
    ServiceProcess service(options);
    TempDir root;
    AppEnvironment::Platform platform = quietPlatform();
    platform.clock = std::make_shared<ManualClock>(*parseTimestamp("2026-03-16T10:00:00Z"));
    AppEnvironment device(*BaseUrl::parse(service.baseUrl()), AppPaths::under(root.path()),
                          Collected{}.sink(), std::move(platform));
    ASSERT_TRUE(device.handleOpenURL(callbackFor(service, device)));
    device.syncNow();

    const std::vector<CustomerRecord> customers = device.repositories().customers.customers(false, "Van Dam");
    ASSERT_EQ(customers.size(), 1u);
    InvoiceScheduleRecord fields;
    fields.organizationId = customers[0].organizationId;
    fields.customerId = customers[0].id;
    fields.rateCents = 9500;
    fields.billingFrequency = "weekly";
    fields.billingDay = 1;
    fields.billingTime = "09:00";
    fields.descriptionTemplate = "{klantnaam} -- week {weeknummer}";
    fields.startDate = "2026-04-01";
    const InvoiceScheduleRecord schedule = device.repositories().schedules.createSchedule(
        fields,
        JSONValue::object(
            {{"ma", 800}, {"di", 800}, {"wo", 800}, {"do", 800}, {"vr", 800}, {"za", 0}, {"zo", 0}}),
        JSONValue::array());
    device.syncNow();
    ASSERT_EQ(device.repositories().schedules.schedule(schedule.id)->syncState, "synced");
    scheduleactions::addDayOff(device.apiClient(), schedule.id, "2026-04-15", "vakantie");

    // The service's clock starts at 16 March again after each restart, so each run moves it from
    // there. One week billed, a restart, the next; a crash, then the rest of April caught up at
    // once; one more restart over the same moments bills nothing twice.
    service.advanceClock(hours{24 * 22});  // 7 April 10:00
    service.restart();
    service.advanceClock(hours{24 * 29});  // 14 April
    service.kill();
    service.restart();
    service.advanceClock(hours{24 * 45});  // 30 April
    service.restart();
    service.advanceClock(hours{24 * 45});
    // Six weeks without a refresh outlive the device's refresh token: it signs in again.
    ASSERT_TRUE(device.handleOpenURL(callbackFor(service, device)));
    device.syncNow();

    const auto billed = device.database().writer->read([&](Connection& db) {
        std::vector<std::string> rows;
        Statement& query = db.cached(
            "SELECT i.issue_date, i.status, l.quantity_hundredths, l.description, i.total_cents "
            "FROM draft_invoice i JOIN invoice_line l ON l.invoice_id = i.id "
            "WHERE i.schedule_id = ? ORDER BY i.issue_date");
        query.bindAll(schedule.id);
        while (query.step())
            rows.push_back(query.text(0) + " " + query.text(1) + " " + std::to_string(query.int64(2)) + " " +
                           query.text(3) + " " + std::to_string(query.int64(4)));
        return rows;
    });
    // Easter Monday (6 April), the day off (15 April) and King's Day (27 April) are not billed.
    EXPECT_EQ(billed,
              (std::vector<std::string>{"2026-04-06 draft 3200 Bakkerij Van Dam B.V. -- week 15 367840",
                                        "2026-04-13 draft 3200 Bakkerij Van Dam B.V. -- week 16 367840",
                                        "2026-04-20 draft 4000 Bakkerij Van Dam B.V. -- week 17 459800",
                                        "2026-04-27 draft 3200 Bakkerij Van Dam B.V. -- week 18 367840"}));
}

}  // namespace
}  // namespace zelvorin::testing
