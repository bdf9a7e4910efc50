#include "persistence/repositories/ScheduleRepository.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "domain/Timestamps.h"
#include "persistence/repositories/EditedFields.h"
#include "persistence/repositories/JsonEncodable.h"
#include "persistence/sqlite/SqliteError.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "testing/TempDir.h"
#include "testing/ThrownKind.h"

namespace zelvorin {
namespace {

JSONValue workweek() {
    return JSONValue::object(
        {{"ma", 800}, {"di", 800}, {"wo", 800}, {"do", 800}, {"vr", 800}, {"za", 0}, {"zo", 0}});
}

JSONValue line(JSONValue description, JSONValue amountCents) {
    return JSONValue::object({{"id", "l1"},
                              {"description", std::move(description)},
                              {"amountCents", std::move(amountCents)},
                              {"vatTreatment", "nl_21"},
                              {"sortOrder", 0}});
}

class ScheduleRepositoryIntegrationTest : public ::testing::Test {
protected:
    ScheduleRepositoryIntegrationTest()
        : database_(AppDatabase::openFile(dir_ / "zelvorin.sqlite")),
          clock_(std::make_shared<ManualClock>(*parseTimestamp("2026-03-02T09:00:00Z"))),
          schedules_(database_, clock_),
          store_(database_, clock_) {}

    InvoiceScheduleRecord add(const std::string& frequency, std::int64_t day, bool active = true) {
        InvoiceScheduleRecord fields;
        fields.organizationId = "org";
        fields.customerId = "c1";
        fields.billingFrequency = frequency;
        fields.billingDay = day;
        fields.active = active;
        return schedules_.createSchedule(fields, workweek(), JSONValue::array());
    }
    std::vector<std::string> frequencies(const std::vector<InvoiceScheduleRecord>& list) {
        std::vector<std::string> found;
        for (const InvoiceScheduleRecord& s : list)
            found.push_back(s.billingFrequency);
        return found;
    }
    void acceptEverything() {
        std::vector<std::string> keys;
        std::vector<PushAcceptedItem> accepted;
        for (const PushChange& c : store_.pendingChangeBatch(100)) {
            keys.push_back(c.idempotencyKey);
            accepted.push_back({c.entityType, c.entityId, 4});
        }
        store_.removeChanges(keys);
        store_.markAccepted(accepted);
    }
    // Every way a write can go wrong must leave the table and the outbox as they were.
    void expectNothingWritten(std::size_t rows = 0) {
        EXPECT_EQ(schedules_.schedules().size(), rows);
        EXPECT_EQ(store_.pendingChangeCount(), 0);
    }

    testing::TempDir dir_;
    AppDatabase database_;
    std::shared_ptr<ManualClock> clock_;
    ScheduleRepository schedules_;
    GRDBSyncStore store_;
};

TEST_F(ScheduleRepositoryIntegrationTest, CreateTakesColumnDefaultsAndQueuesTheScheduleFields) {
    InvoiceScheduleRecord fields;
    fields.organizationId = "org";
    fields.customerId = "c1";
    fields.id = "ignored";
    fields.syncState = "synced";
    const JSONValue lines = JSONValue::array({line("Onderhoud", 12500)});
    const InvoiceScheduleRecord created = schedules_.createSchedule(fields, workweek(), lines);

    EXPECT_EQ(created.id.size(), 36u);
    EXPECT_EQ(created.syncState, "localOnly");
    EXPECT_EQ(created.createdAt, "2026-03-02T09:00:00.000Z");
    EXPECT_EQ(created.localModifiedAt, created.createdAt);
    EXPECT_EQ(created.billingFrequency, "four_weekly");
    EXPECT_EQ(created.billingDay, 5);
    EXPECT_EQ(created.billingTime, "09:00");
    EXPECT_EQ(created.scheduleType, "hourly");
    EXPECT_EQ(created.billingMoment, "advance");
    EXPECT_EQ(created.indexationMode, "none");
    EXPECT_EQ(created.indexationAnchor, "jan_1");
    EXPECT_EQ(JSONValue::parse(created.workdays), workweek());
    EXPECT_EQ(JSONValue::parse(created.lines), lines);
    EXPECT_EQ(schedules_.schedule(created.id), created);

    const std::vector<PushChange> queued = store_.pendingChangeBatch(10);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].entityType, SyncEntityType::invoiceSchedule);
    EXPECT_EQ(queued[0].operation, SyncOperation::create);
    EXPECT_FALSE(queued[0].changedFields);
    std::vector<std::string> keys;
    for (const auto& [key, value] : *queued[0].payload.asObject())
        keys.push_back(key);
    EXPECT_EQ(keys, EditedFields::allChanged(EditedFields::kSchedule)) << "every field the form edits";
    EXPECT_EQ(*queued[0].payload.find("workdays"), workweek());  // an object, not its text
    EXPECT_EQ(*queued[0].payload.find("lines"), lines);
    EXPECT_EQ(*queued[0].payload.find("active"), JSONValue(true));
}

TEST_F(ScheduleRepositoryIntegrationTest, DeactivatingMovesAScheduleBehindTheActiveOnes) {
    add("weekly", 1);
    InvoiceScheduleRecord monthly = add("monthly", 1);
    add("four_weekly", 5);
    EXPECT_EQ(frequencies(schedules_.schedules()),
              (std::vector<std::string>{"four_weekly", "monthly", "weekly"}));

    acceptEverything();
    database_.writer->write([&](Connection& db) {
        db.prepare("UPDATE invoice_schedule SET last_sync_error = 'eerder' WHERE id = ?")
            .bind(1, monthly.id)
            .run();
    });
    monthly.active = false;
    monthly.revision = 99;  // not the caller's to set
    const InvoiceScheduleRecord updated =
        schedules_.updateSchedule(monthly, workweek(), JSONValue::array(), {"active"});
    EXPECT_EQ(updated.syncState, "pendingUpload");
    EXPECT_EQ(updated.revision, 4);

    EXPECT_EQ(frequencies(schedules_.schedules()),
              (std::vector<std::string>{"four_weekly", "weekly", "monthly"}));
    EXPECT_EQ(frequencies(schedules_.activeSchedules()), (std::vector<std::string>{"four_weekly", "weekly"}));
    const std::vector<PushChange> queued = store_.pendingChangeBatch(10);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].operation, SyncOperation::update);
    EXPECT_EQ(queued[0].baseServerRevision, 4);
    EXPECT_EQ(queued[0].clientRevision, 5);
    EXPECT_EQ(queued[0].changedFields, std::vector<std::string>{"active"});
    EXPECT_EQ(*queued[0].payload.find("active"), JSONValue(false));
    // The row's sync error has no record field; an edit must not wipe it.
    EXPECT_EQ(database_.writer->read([&](Connection& db) {
        Statement& s = db.cached("SELECT last_sync_error FROM invoice_schedule WHERE id = ?");
        s.bind(1, monthly.id).step();
        return s.text(0);
    }),
              "eerder");
}

TEST_F(ScheduleRepositoryIntegrationTest, DocumentsThatCannotBeStoredWriteNothing) {
    InvoiceScheduleRecord fields;
    fields.organizationId = "org";
    fields.customerId = "c1";
    // The message of the error, after checking its kind and that nothing was written.
    const auto failsWith = [&](ScheduleRepositoryError::Member kind, const JSONValue& workdays,
                               const JSONValue& lines) -> std::string {
        try {
            schedules_.createSchedule(fields, workdays, lines);
        } catch (const ScheduleRepositoryError& error) {
            EXPECT_EQ(error.member(), kind) << error.what();
            EXPECT_EQ(error.kind(), PersistenceError::Kind::invalidInput);
            expectNothingWritten();
            return error.what();
        }
        ADD_FAILURE() << "accepted " << workdays.dump() << " " << lines.dump();
        return "";
    };
    using Kind = ScheduleRepositoryError::Member;
    const JSONValue none = JSONValue::array();
    failsWith(Kind::invalidLines, workweek(), JSONValue::array({line("Onderhoud", std::nan(""))}));
    EXPECT_EQ(
        failsWith(Kind::invalidLines, workweek(), JSONValue::array({line(std::string("caf\xC3"), 100)})),
        "De factuurregels van het schema kunnen niet worden opgeslagen: [0].description: geen geldige "
        "UTF-8-tekst.");
    failsWith(Kind::invalidLines, workweek(), JSONValue::array({line("Onderhoud", 12.5)}));
    failsWith(Kind::invalidLines, workweek(), JSONValue::object());
    JSONValue unknownDay = workweek();
    unknownDay.asObject()->set("xx", 0);
    failsWith(Kind::invalidWorkdays, unknownDay, none);
    JSONValue noSunday = workweek();
    noSunday.asObject()->erase("zo");
    failsWith(Kind::invalidWorkdays, noSunday, none);
    failsWith(Kind::invalidWorkdays, JSONValue::array(), none);

    // An update with a bad document, of a missing schedule or with an unknown key leaves the row.
    const InvoiceScheduleRecord stored = add("weekly", 1);
    acceptEverything();
    InvoiceScheduleRecord changed = stored;
    changed.billingDay = 3;
    EXPECT_THROW(schedules_.updateSchedule(changed, noSunday, none, {"billingDay"}), ScheduleRepositoryError);
    EXPECT_EQ(testing::thrownKind([&] {
                  schedules_.updateSchedule(changed, workweek(), none, {"billingDay", "revision"});
              }),
              PersistenceError::Kind::invalidInput);
    changed.id = "elders";
    EXPECT_EQ(testing::thrownKind([&] { schedules_.updateSchedule(changed, workweek(), none, {}); }),
              PersistenceError::Kind::notFound);
    EXPECT_EQ(schedules_.schedule(stored.id)->billingDay, 1);
    expectNothingWritten(1);
}

TEST_F(ScheduleRepositoryIntegrationTest, AFailingOutboxInsertRollsTheRowBack) {
    // A temporary trigger lives on the writer connection only, where the repository writes.
    database_.writer->write([](Connection& db) {
        db.prepare(
              "CREATE TEMP TRIGGER outbox_full BEFORE INSERT ON main.outbox_change\n"
              "BEGIN SELECT RAISE(ABORT, 'outbox vol'); END")
            .run();
    });
    EXPECT_THROW(add("weekly", 1), SqliteError);
    expectNothingWritten();
}

TEST_F(ScheduleRepositoryIntegrationTest, DeleteTombstonesOnceAndHidesTheSchedule) {
    const InvoiceScheduleRecord schedule = add("weekly", 1);
    acceptEverything();
    ASSERT_TRUE(schedules_.deleteSchedule(schedule.id));
    EXPECT_FALSE(schedules_.deleteSchedule(schedule.id));
    EXPECT_FALSE(schedules_.deleteSchedule("elders"));
    EXPECT_FALSE(schedules_.schedule(schedule.id));
    EXPECT_TRUE(schedules_.schedules().empty());
    EXPECT_EQ(schedules_.scheduleIncludingDeleted(schedule.id)->syncState, "tombstoned");
    const std::vector<PushChange> queued = store_.pendingChangeBatch(10);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].operation, SyncOperation::remove);
    EXPECT_EQ(queued[0].baseServerRevision, 4);
    EXPECT_EQ(queued[0].payload, JSONValue::object());
    EXPECT_EQ(
        testing::thrownKind([&] { schedules_.updateSchedule(schedule, workweek(), JSONValue::array(), {}); }),
        PersistenceError::Kind::notFound);
}

TEST(JsonEncodableTest, RejectsMalformedUtf8AndNonFiniteNumbers) {
    EXPECT_TRUE(isValidUtf8("Zoë € 𝄞"));
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80", "\xFF"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
    EXPECT_EQ(unencodableMember(
                  JSONValue::object({{"a", JSONValue::array({1, std::numeric_limits<double>::infinity()})}})),
              "a[1]: geen eindig getal");
    EXPECT_EQ(unencodableMember(JSONValue::object({{std::string("\xFF"), 1}})),
              "een sleutel is geen geldige UTF-8-tekst");
    EXPECT_FALSE(unencodableMember(JSONValue::object({{"a", JSONValue::array({1.5, "ë", nullptr, true})}})));
}

}  // namespace
}  // namespace zelvorin
