#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceScheduleActions.h"
#include "service/invoices/MailOutbox.h"
#include "service/schedules/DayOffActions.h"
#include "service/schedules/PublicHolidayAnswer.h"
#include "service/schedules/ScheduleInvoiceRunner.h"
#include "service/seed/DemoSeed.h"
#include "service/store/RecordWriter.h"
#include "service/store/ScheduledSends.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

TimePoint at(const char* text) {
    return *parseTimestamp(text);
}

template <class Action>
std::pair<ErrorKind, std::string> refusal(Action action) {
    try {
        action();
    } catch (const ServiceError& error) {
        return {error.kind(), error.what()};
    }
    return {ErrorKind::internal, "geen fout"};
}

class ScheduleInvoicesIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(seedDemo(database, year{2026} / March / 16));
        customerId = database.read([](Connection& db) {
            return records::all(db, demoOrganizationId(), std::string("customer"))[0].id;
        });
    }

    Caller caller() const {
        return {demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    }

    // A schedule as a device pushes it: weekly on Monday from 6 April 2026, 8 hours Monday to Friday.
    Json weeklySchedule(const std::string& id) const {
        return Json{{"id", id},
                    {"organizationId", demoOrganizationId()},
                    {"customerId", customerId},
                    {"billingMode", "hours_per_week"},
                    {"unitsPerWeek", 4000},
                    {"rateCents", 9500},
                    {"workdays",
                     {{"ma", 800}, {"di", 800}, {"wo", 800}, {"do", 800}, {"vr", 800}, {"za", 0}, {"zo", 0}}},
                    {"billingFrequency", "weekly"},
                    {"billingDay", 1},
                    {"billingTime", "09:00"},
                    {"invoiceDescriptionTemplate", "Werkzaamheden {maandnaam} {jaar} voor {klantnaam}"},
                    {"descriptionTemplate", "{klantnaam} -- week {weeknummer}"},
                    {"startDate", "2026-04-06"},
                    {"active", true},
                    {"createdAt", "2026-03-16T10:00:00.000Z"},
                    {"updatedAt", "2026-03-16T10:00:00.000Z"},
                    {"scheduleType", "hourly"},
                    {"billingMoment", "advance"},
                    {"lines", Json::array()},
                    {"autoSend", false},
                    {"reviewWindowHours", 0},
                    {"indexationMode", "none"},
                    {"indexationAnchor", "jan_1"}};
    }

    void push(const Json& schedule, RecordOperation operation = RecordOperation::put) {
        database.write([&](Connection& db) {
            writeRecord(db, {demoOrganizationId(),
                             SyncEntityType::invoiceSchedule,
                             schedule["id"],
                             operation,
                             schedule,
                             at("2026-03-16T10:00:00Z"),
                             {ChangeSource::push, demoOwnerUserId(), "apparaat-a"},
                             std::nullopt});
        });
    }

    std::vector<StoredRecord> invoicesOf(const std::string& scheduleId) {
        return database.read([&](Connection& db) {
            return records::withMember(db, demoOrganizationId(), "draftInvoice", "scheduleId", scheduleId);
        });
    }

    // Issue date, hours and description of each invoice of the schedule, in issue order.
    std::vector<std::string> billed(const std::string& scheduleId) {
        std::vector<std::string> seen;
        for (const StoredRecord& invoice : invoicesOf(scheduleId)) {
            const auto lines = database.read([&](Connection& db) {
                return records::withMember(db, demoOrganizationId(), "invoiceLine", "invoiceId", invoice.id);
            });
            std::string entry = invoice.payload["issueDate"].get<std::string>() + " " +
                                std::to_string(invoice.payload["totalCents"].get<std::int64_t>());
            for (const StoredRecord& line : lines)
                entry += " " + std::to_string(line.payload["quantityHundredths"].get<std::int64_t>()) + " " +
                         line.payload["description"].get<std::string>();
            seen.push_back(entry);
        }
        std::sort(seen.begin(), seen.end());
        return seen;
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    std::string customerId;
};

TEST_F(ScheduleInvoicesIntegrationTest, AWeeklyScheduleBillsEachWeekOnceWithoutDaysOffAndHolidays) {
    ScheduleInvoiceRunner runner(database);
    runner.runDue(at("2026-03-16T10:00:00Z"));  // the generator takes over here
    push(weeklySchedule("uren"));
    addDayOff(database, caller(), "uren", Json{{"date", "2026-04-15"}, {"type", "vakantie"}},
              at("2026-03-16T10:00:00Z"));

    // Only the demo's own schedules: four-weekly on Friday 20 March, monthly on 1 April.
    EXPECT_EQ(runner.runDue(at("2026-04-06T06:59:00Z")), 2);
    EXPECT_TRUE(invoicesOf("uren").empty());
    runner.runDue(at("2026-04-13T07:00:00Z"));  // 09:00 in Amsterdam: the first two weeks
    EXPECT_EQ(invoicesOf("uren").size(), 2u);
    runner.runDue(at("2026-04-30T12:00:00Z"));
    runner.runDue(at("2026-04-30T12:00:00Z"));
    // Easter Monday, the day off and King's Day (Monday 27 April) are not billed; € 95 an hour, 21 %.
    EXPECT_EQ(billed("uren"),
              (std::vector<std::string>{"2026-04-06 367840 3200 Bakkerij Van Dam B.V. -- week 15",
                                        "2026-04-13 367840 3200 Bakkerij Van Dam B.V. -- week 16",
                                        "2026-04-20 459800 4000 Bakkerij Van Dam B.V. -- week 17",
                                        "2026-04-27 367840 3200 Bakkerij Van Dam B.V. -- week 18"}));
    const StoredRecord first = invoicesOf("uren").front();
    EXPECT_EQ(first.payload["status"], "draft");
    EXPECT_EQ(first.payload["autoGenerated"], true);
    EXPECT_EQ(first.payload["projectDescription"], "Werkzaamheden april 2026 voor Bakkerij Van Dam B.V.");
    EXPECT_FALSE(first.payload.contains("scheduledSendAt"));

    // Paused, it bills nothing more; deleted, neither.
    Json paused = weeklySchedule("uren");
    paused["active"] = false;
    push(paused);
    runner.runDue(at("2026-05-30T12:00:00Z"));
    EXPECT_EQ(invoicesOf("uren").size(), 4u);
}

// Edited to another rhythm, a schedule's next period can cover days an earlier invoice billed; the
// key on schedule + period does not catch that, as the period starts on another day.
TEST_F(ScheduleInvoicesIntegrationTest, APeriodOverlappingABilledOneBillsOnlyTheDaysNotBilledYet) {
    ScheduleInvoiceRunner runner(database);
    runner.runDue(at("2026-03-16T10:00:00Z"));
    push(weeklySchedule("uren"));
    Json fixed = weeklySchedule("vast");
    fixed["scheduleType"] = "fixed";
    fixed["lines"] = Json::array({{{"id", "a"},
                                   {"description", "Abonnement"},
                                   {"amountCents", 10000},
                                   {"vatTreatment", "nl_21"},
                                   {"sortOrder", 0}}});
    push(fixed);
    runner.runDue(at("2026-04-13T12:00:00Z"));  // weeks 15 and 16 of both
    ASSERT_EQ(invoicesOf("uren").size(), 2u);
    ASSERT_EQ(invoicesOf("vast").size(), 2u);

    // Now monthly, billing the whole month in advance on the 30th: 1 to 30 April.
    for (Json schedule : {weeklySchedule("uren"), fixed}) {
        schedule["billingFrequency"] = "monthly";
        schedule["billingDay"] = 30;
        push(schedule);
    }
    runner.runDue(at("2026-05-01T12:00:00Z"));

    // 1-3 April, 20-24 April and 28-30 April, 88 hours: the weeks billed before, Easter Monday and
    // King's Day stay out. (The description names the period's first week.)
    const std::vector<std::string> hourly = billed("uren");
    ASSERT_EQ(hourly.size(), 3u);
    EXPECT_EQ(hourly[2], "2026-04-30 1011560 8800 Bakkerij Van Dam B.V. -- week 14");
    // A fixed amount cannot be split over the days left, so the month that was billed in part is not.
    EXPECT_EQ(invoicesOf("vast").size(), 2u);
    // The next month overlaps nothing and is billed whole.
    runner.runDue(at("2026-05-31T12:00:00Z"));
    EXPECT_EQ(invoicesOf("vast").size(), 3u);
}

TEST_F(ScheduleInvoicesIntegrationTest, RacingRunnersAndARestartLeaveOneInvoicePerPeriod) {
    ScheduleInvoiceRunner({database}).runDue(at("2026-03-16T10:00:00Z"));
    push(weeklySchedule("uren"));
    {
        ScheduleInvoiceRunner first(database);
        first.runDue(at("2026-04-14T12:00:00Z"));
    }
    // A second service process over the same file (a restart, or two racing over one database).
    ServiceDatabase again(dir.path() / "data");
    ScheduleInvoiceRunner a(database), b(again);
    std::jthread one([&] { a.runDue(at("2026-04-30T12:00:00Z")); });
    std::jthread two([&] { b.runDue(at("2026-04-30T12:00:00Z")); });
    one.join();
    two.join();
    EXPECT_EQ(invoicesOf("uren").size(), 4u);
}

TEST_F(ScheduleInvoicesIntegrationTest, MissedMomentsAreCaughtUpButNotThoseBeforeTheServiceTookOver) {
    push(weeklySchedule("uren"));
    ScheduleInvoiceRunner runner(database);
    runner.runDue(at("2026-04-15T12:00:00Z"));  // first run after the schedule's first two moments
    EXPECT_TRUE(invoicesOf("uren").empty());
    runner.runDue(at("2026-05-05T12:00:00Z"));  // down for three weeks: 20 April, 27 April, 4 May
    EXPECT_EQ(invoicesOf("uren").size(), 3u);
}

TEST_F(ScheduleInvoicesIntegrationTest, AFixedScheduleBillsItsLinesAndSendsAfterTheReviewWindow) {
    ScheduleInvoiceRunner runner(database);
    runner.runDue(at("2026-03-16T10:00:00Z"));
    Json fixed = weeklySchedule("vast");
    fixed["scheduleType"] = "fixed";
    fixed["billingFrequency"] = "monthly";
    fixed["billingDay"] = 31;
    fixed["descriptionTemplate"] = "";
    fixed["autoSend"] = true;
    fixed["reviewWindowHours"] = 24;
    fixed["lines"] = Json::array({{{"id", "a"},
                                   {"description", "Licentie {maandnaam} ({factuurnummer})"},
                                   {"amountCents", 10000},
                                   {"vatTreatment", "nl_21"},
                                   {"sortOrder", 0}},
                                  {{"id", "b"},
                                   {"description", "Boeken"},
                                   {"amountCents", 5000},
                                   {"vatTreatment", "nl_9"},
                                   {"sortOrder", 1}}});
    push(fixed);
    runner.runDue(at("2026-04-30T12:00:00Z"));  // 30 April: the month's last day
    ASSERT_EQ(invoicesOf("vast").size(), 1u);
    const StoredRecord invoice = invoicesOf("vast").front();
    EXPECT_EQ(invoice.payload["issueDate"], "2026-04-30");
    EXPECT_EQ(invoice.payload["totalCents"], 12100 + 5450);
    EXPECT_EQ(invoice.payload["scheduledSendAt"], "2026-05-01T07:00:00.000Z");
    const auto send = database.read(
        [&](Connection& db) { return scheduledsends::find(db, demoOrganizationId(), invoice.id); });
    ASSERT_TRUE(send);
    EXPECT_EQ(Json::parse(send->message)["recipientEmail"], invoice.payload["invoiceEmail"]);
    EXPECT_EQ(send->userId, demoOwnerUserId());
    const auto lineDescriptions = [&] {
        return database.read([&](Connection& db) {
            std::vector<std::string> texts;
            for (const StoredRecord& line :
                 records::ofInvoice(db, demoOrganizationId(), "invoiceLine", invoice.id))
                texts.push_back(line.payload.value("description", ""));
            std::sort(texts.begin(), texts.end());
            return texts;
        });
    };
    // The draft has no number yet: the placeholder waits for it, and the send fills it.
    EXPECT_EQ(lineDescriptions(), (std::vector<std::string>{"Boeken", "Licentie april ({factuurnummer})"}));
    testing::TempDir mail;
    const MailOutbox outbox(mail.path(), std::nullopt);
    ScheduledSendRunner sends(database, outbox);
    ASSERT_GE(sends.runDue(at("2026-05-01T07:00:01Z")), 1);  // with what the demo itself had planned
    const std::string number = database.read([&](Connection& db) {
        return records::find(db, demoOrganizationId(), "draftInvoice", invoice.id)
            ->payload.value("invoiceNumber", "");
    });
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(lineDescriptions(), (std::vector<std::string>{"Boeken", "Licentie april (" + number + ")"}));
}

TEST_F(ScheduleInvoicesIntegrationTest, YearlyIndexationRaisesTheRateFromEachNewYearOn) {
    ScheduleInvoiceRunner runner(database);
    runner.runDue(at("2026-03-16T10:00:00Z"));
    Json schedule = weeklySchedule("index");
    schedule["startDate"] = "2026-12-28";
    schedule["indexationMode"] = "fixed_percent";
    schedule["indexationPercentBps"] = 300;
    push(schedule);
    Json outOfRange = weeklySchedule("te-hoog");
    outOfRange["startDate"] = "2026-12-28";
    outOfRange["indexationMode"] = "fixed_percent";
    outOfRange["indexationPercentBps"] = 90000;  // no device sends this: billed unindexed
    push(outOfRange);
    runner.runDue(at("2027-01-04T12:00:00Z"));
    const auto rates = [&](const std::string& id) {
        std::map<std::string, std::int64_t> byIssueDate;
        for (const StoredRecord& invoice : invoicesOf(id))
            for (const StoredRecord& line : database.read([&](Connection& db) {
                     return records::ofInvoice(db, demoOrganizationId(), "invoiceLine", invoice.id);
                 }))
                byIssueDate[invoice.payload["issueDate"]] = line.payload["unitPriceCents"];
        return byIssueDate;
    };
    EXPECT_EQ(rates("index"),
              (std::map<std::string, std::int64_t>{{"2026-12-28", 9500}, {"2027-01-04", 9785}}));
    EXPECT_EQ(rates("te-hoog"),
              (std::map<std::string, std::int64_t>{{"2026-12-28", 9500}, {"2027-01-04", 9500}}));
}

TEST_F(ScheduleInvoicesIntegrationTest, DaysOffAreKeptPerScheduleAndRefusedWhenTheyDoNotFit) {
    push(weeklySchedule("uren"));
    const TimePoint now = at("2026-03-16T10:00:00Z");
    const Json added =
        addDayOff(database, caller(), "uren", Json{{"date", "2026-04-15"}, {"type", "ziek"}}, now);
    addDayOff(database, caller(), "uren", Json{{"date", "2026-04-14"}, {"type", "vakantie"}}, now);
    const Json listed = listDaysOff(database, caller(), "uren");
    ASSERT_EQ(listed["daysOff"].size(), 2u);
    EXPECT_EQ(listed["daysOff"][0]["date"], "2026-04-14");
    EXPECT_EQ(listed["daysOff"][1], added["dayOff"]);
    EXPECT_EQ(added["dayOff"]["scheduleId"], "uren");

    const std::string id = added["dayOff"]["id"];
    EXPECT_EQ(refusal([&] {
                  addDayOff(database, caller(), "uren", Json{{"date", "2026-04-15"}, {"type", "vrij"}}, now);
              }),
              std::pair(ErrorKind::conflict, std::string("Op 15-04-2026 staat al een vrije dag.")));
    EXPECT_EQ(refusal([&] {
                  addDayOff(database, caller(), "uren", Json{{"date", "2026-02-30"}, {"type", "vrij"}}, now);
              }).first,
              ErrorKind::unprocessable);
    EXPECT_EQ(refusal([&] {
                  addDayOff(database, caller(), "uren", Json{{"date", "2026-04-16"}, {"type", "feest"}}, now);
              }).first,
              ErrorKind::unprocessable);
    EXPECT_EQ(refusal([&] {
                  listDaysOff(database, {demoOwnerUserId(), "ander", "", "", std::nullopt}, "uren");
              }).first,
              ErrorKind::notFound);
    EXPECT_EQ(refusal([&] { removeDayOff(database, caller(), "onbekend", id); }).first, ErrorKind::notFound);

    removeDayOff(database, caller(), "uren", id);
    EXPECT_EQ(refusal([&] { removeDayOff(database, caller(), "uren", id); }),
              std::pair(ErrorKind::notFound, std::string("Vrije dag niet gevonden.")));
    EXPECT_EQ(listDaysOff(database, caller(), "uren")["daysOff"].size(), 1u);
}

TEST(PublicHolidayAnswerTest, AnswersAsThePublicServiceForTheNetherlandsOnly) {
    const Json days = publicHolidayAnswer("2026", "NL");
    ASSERT_EQ(days.size(), 11u);
    EXPECT_EQ(days[3]["date"], "2026-04-06");
    EXPECT_EQ(days[3]["localName"], "Tweede Paasdag");
    EXPECT_EQ(days[3]["name"], "Easter Monday");
    EXPECT_EQ(days[3]["types"], Json::array({"Public"}));
    EXPECT_EQ(days[1]["types"], Json::array({"Observance"}));  // Good Friday
    for (const auto& [yearText, country] : std::vector<std::pair<const char*, const char*>>{
             {"2026", "BE"}, {"20x6", "NL"}, {"1899", "NL"}, {"", "NL"}})
        EXPECT_NE(refusal([&] { publicHolidayAnswer(yearText, country); }).first, ErrorKind::internal)
            << yearText << country;
    EXPECT_EQ(refusal([&] { publicHolidayAnswer("2026", "BE"); }).first, ErrorKind::notFound);
}

}  // namespace
}  // namespace zelvorin::service
