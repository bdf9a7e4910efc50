#include "service/data/DataActions.h"

#include <gtest/gtest.h>

#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "service/bank/BankRules.h"
#include "service/dashboard/BriefingDecisions.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceNumbering.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/invoices/MailOutbox.h"
#include "service/org/FontActions.h"
#include "service/org/IntegrationActions.h"
#include "service/schedules/ScheduleInvoiceRunner.h"
#include "service/seed/DemoSeed.h"
#include "service/store/Accounts.h"
#include "service/store/InvoiceNumberCounter.h"
#include "service/store/OrganizationData.h"
#include "service/store/ProposalEvents.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/SignIns.h"
#include "service/team/MemberActions.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;

const TimePoint kNow{sys_days{year{2026} / March / 16} + hours{10}};
constexpr bundle::KdfCost kCheap{10, 8, 1};
constexpr const char* kPassword = "correct paard batterij";

Caller callerOf(const std::string& userId, const std::string& organizationId) {
    return Caller{userId, organizationId, "apparaat-" + userId, "sessie-" + userId, std::nullopt};
}

// A record as it reads without what the writer sets and the organisation it belongs to.
nlohmann::ordered_json comparable(nlohmann::ordered_json payload) {
    for (const char* key : {"revision", "serverModifiedAt", "organizationId"})
        payload.erase(key);
    return payload;
}

// Every table with an organisation column, read from the schema itself.
std::vector<std::string> organisationTables(Connection& db) {
    Statement tables = db.prepare(
        "SELECT m.name FROM sqlite_master m WHERE m.type = 'table' AND m.name <> 'organization' AND EXISTS "
        "(SELECT 1 FROM pragma_table_info(m.name) c WHERE c.name = 'organization_id') ORDER BY m.name");
    std::vector<std::string> names;
    while (tables.step())
        names.push_back(tables.text(0));
    return names;
}

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ServiceError& error) {
        return std::to_string(error.httpStatus()) + " " + error.what();
    }
    return "geen fout";
}

class DataActionsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(seedDemo(database, year{2026} / March / 16));
        // A scan, an invoice PDF and a day off beside the seeded records.
        database.write([&](Connection& db) {
            storedfiles::put(
                db, demoOrganizationId(),
                {"kvitra/scan-1/bon.pdf", "bon.pdf", "application/pdf", std::string("%PDF\0\xff", 6)}, kNow);
            storedfiles::put(
                db, demoOrganizationId(),
                {"invoices/f-1/2026-001.pdf", "2026-001.pdf", "application/pdf", std::string(3000, 'x')},
                kNow);
            organizationdata::insertRow(db, "schedule_day_off", demoOrganizationId(),
                                        {{"id", "vrij-1"},
                                         {"schedule_id", "s-1"},
                                         {"date", "2026-04-15"},
                                         {"type", "vakantie"},
                                         {"created_at", "2026-03-16T10:00:00Z"}});
        });
    }

    std::vector<StoredRecord> liveRecords(const std::string& org) const {
        std::vector<StoredRecord> live;
        for (StoredRecord& record :
             database.read([&](Connection& db) { return records::all(db, org, std::nullopt); }))
            if (!record.deleted) live.push_back(std::move(record));
        std::sort(live.begin(), live.end(), [](const StoredRecord& a, const StoredRecord& b) {
            return std::tie(a.entityType, a.id) < std::tie(b.entityType, b.id);
        });
        return live;
    }
    std::vector<StoredFile> files(const std::string& org) const {
        return database.read([&](Connection& db) { return organizationdata::files(db, org); });
    }
    std::int64_t lastSequence() const {
        return database.read([](Connection& db) { return records::lastSequence(db); });
    }
    std::string exported(const Caller& of) const {
        return exportOrganization(database, of, kPassword, kNow, kCheap).bytes;
    }
    std::string exported() const { return exported(owner); }
    // A new, empty organisation of `ownerId`.
    Caller newOrganisation(const std::string& id, const std::string& ownerId = demoOwnerUserId()) {
        database.write([&](Connection& db) {
            accounts::addOrganization(db, {id, "Nieuw " + id, "2026-03-16T10:00:00Z"});
            accounts::addMembership(db, {id, ownerId, "owner", "2026-03-16T10:00:00Z"});
        });
        return callerOf(ownerId, id);
    }
    // A sent invoice of the demo, copied under another id and number into `organizationId`.
    void addSentInvoice(const std::string& organizationId, const std::string& id, const std::string& number) {
        database.write([&](Connection& db) {
            nlohmann::ordered_json payload =
                comparable(records::withMember(db, demoOrganizationId(), "draftInvoice", "status", "sent")
                               .front()
                               .payload);
            payload["id"] = id;
            payload["organizationId"] = organizationId;
            payload["invoiceNumber"] = number;
            writeRecord(db, {organizationId, SyncEntityType::draftInvoice, id, RecordOperation::put, payload,
                             kNow, Actor{ChangeSource::seed, std::nullopt, std::nullopt}, std::nullopt});
        });
    }
    std::string nextNumber(const std::string& organizationId) {
        return database.write(
            [&](Connection& db) { return takeNextInvoiceNumber(db, organizationId, 2026); });
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    Caller owner = callerOf(demoOwnerUserId(), demoOrganizationId());
    Caller ownerOfSecond = callerOf(demoOwnerUserId(), secondOrganizationId());
};

TEST_F(DataActionsIntegrationTest, AReplacingImportMakesAnotherOrganisationHoldTheSameRecordsFilesAndRows) {
    const std::string bundle = exported();
    const std::vector<StoredRecord> source = liveRecords(demoOrganizationId());
    const std::int64_t before = lastSequence();

    const Json answer = importOrganization(database, ownerOfSecond, "replace", kPassword, bundle, kNow);

    const std::vector<StoredRecord> target = liveRecords(secondOrganizationId());
    ASSERT_EQ(target.size(), source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        EXPECT_EQ(target[i].entityType + "/" + target[i].id, source[i].entityType + "/" + source[i].id);
        EXPECT_EQ(comparable(target[i].payload), comparable(source[i].payload));
        if (target[i].payload.contains("organizationId")) {
            EXPECT_EQ(target[i].payload["organizationId"], secondOrganizationId());
        }
        // Written as new changes, so the second organisation's devices pull them.
        EXPECT_GT(target[i].sequence, before);
    }
    const std::vector<StoredFile> copied = files(secondOrganizationId());
    ASSERT_EQ(copied.size(), 2u);
    EXPECT_EQ(copied[0].key, "invoices/f-1/2026-001.pdf");
    EXPECT_EQ(copied[1].bytes, std::string("%PDF\0\xff", 6));
    database.read([&](Connection& db) {
        EXPECT_EQ(organizationdata::rows(db, "schedule_day_off", secondOrganizationId()).size(), 1u);
        EXPECT_EQ(accounts::organization(db, secondOrganizationId())->name,
                  accounts::organization(db, demoOrganizationId())->name);
    });
    EXPECT_EQ(answer["ok"], true);
    EXPECT_EQ(answer["result"]["rowsInserted"], static_cast<std::int64_t>(source.size()) + 1);
    EXPECT_EQ(answer["result"]["assetsRestored"], 2);
    EXPECT_EQ(answer["manifest"]["orgName"], "Studio Zelvorin");
    EXPECT_EQ(answer["result"]["warnings"], Json::array());
}

TEST_F(DataActionsIntegrationTest, EveryTableWithAnOrganisationColumnIsCarriedOrLeftBehindOnPurpose) {
    database.read([&](Connection& db) {
        for (const std::string& table : organisationTables(db))
            EXPECT_TRUE(organizationdata::exportRole(table)) << table << " has no place in an export";
    });
}

// The organisation exported, deleted and imported into a new one holds every row of every table
// that is not left behind on purpose, and every stored file byte for byte.
TEST_F(DataActionsIntegrationTest, ExportedDeletedAndImportedTheOrganisationComesBackWhole) {
    // What the seed leaves empty: an uploaded font, an invitation, a proposal's and an invoice's
    // event, a billed period, a bank rule, a briefing decision, the integration switches beside a
    // key that must stay behind.
    Caller admin = owner;
    admin.membership = Membership{demoOrganizationId(), demoOwnerUserId(), "owner", "2026-03-16T10:00:00Z"};
    uploadFont(database, admin, testing::readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
               "Huisletter", kNow);
    testing::TempDir mail;
    inviteMember(database, MailOutbox(mail.path()), admin, {"nieuw@example.nl", "member", "Nina", "Nieuw"},
                 kNow);
    patchIntegrations(database, admin, {{"dropboxAutoUpload", "true"}}, kNow);
    setIntegrationKey(database, admin, {{"provider", "mollie"}, {"value", "live_geheim"}}, kNow);
    addBankRule(database, admin, "Albert Heijn", std::string("kantoor"), kNow);
    ScheduleInvoiceRunner runner(database);
    runner.runDue(kNow);
    runner.runDue(kNow + days{20});
    database.write([&](Connection& db) {
        const std::string proposal = records::all(db, demoOrganizationId(), std::string("proposal")).at(0).id;
        proposalevents::add(db, demoOrganizationId(),
                            {"ev-1", proposal, "2026-03-16T10:00:00Z", "reminder", "reminder_sent",
                             "Herinnering verstuurd", std::string("Sanne")});
        invoicerecords::addEvent(db, admin,
                                 records::all(db, demoOrganizationId(), std::string("draftInvoice"))[0].id,
                                 "note", "Notitie", std::string("Gebeld"), kNow);
        briefingdecisions::put(db, demoOrganizationId(), "actie-1", {"snoozed", std::string("2026-04-01")},
                               demoOwnerUserId(), "2026-03-16T10:00:00Z");
        if (!invoicenumbercounter::last(db, demoOrganizationId(), 2026))
            takeNextInvoiceNumber(db, demoOrganizationId(), 2026);
    });
    using Snapshot = std::map<std::string, std::vector<Json>>;
    const auto snapshot = [&](const std::string& org) {
        return database.read([&](Connection& db) {
            Snapshot rows;
            for (const std::string& table : organisationTables(db)) {
                if (organizationdata::exportRole(table) == organizationdata::ExportRole::carried)
                    rows[table] = organizationdata::rows(db, table, org);
            }
            for (const StoredFile& file : organizationdata::files(db, org))
                rows["stored_file"].push_back(
                    Json{{"key", file.key},
                         {"fileName", file.fileName},
                         {"contentType", file.contentType},
                         {"bytes", Json::binary({file.bytes.begin(), file.bytes.end()})}});
            for (const StoredRecord& record : liveRecords(org))
                rows["record"].push_back(
                    Json{{"type", record.entityType}, {"record", comparable(record.payload)}});
            return rows;
        });
    };
    const Snapshot before = snapshot(demoOrganizationId());
    for (const auto& [table, rows] : before)
        EXPECT_FALSE(rows.empty()) << table << " has no rows, so the round trip proves nothing about it";
    const std::string bundle = exported();

    deleteOrganization(database, owner, "Studio Zelvorin");
    const Caller target = newOrganisation("nieuw");
    importOrganization(database, target, "replace", kPassword, bundle, kNow);

    const Snapshot after = snapshot("nieuw");
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [table, rows] : before)
        EXPECT_EQ(after.at(table), rows) << table;
    // The provider's key stayed behind with the deleted organisation; the switch came along.
    const Json status = integrationStatus(database, target);
    EXPECT_EQ(status["mollieConfigured"], false);
    EXPECT_EQ(status["dropbox"]["autoUpload"], true);
    EXPECT_EQ(listFonts(database, target)["families"][0]["family"], "Huisletter");
}

// Rows that name people of the organisation they came from: a waiting send planned by someone who
// is no member of the new organisation goes out in the importer's name, and an invitation for an
// address that is already a member there does not come along.
TEST_F(DataActionsIntegrationTest, RowsNamingPeopleFitTheOrganisationTheyAreImportedInto) {
    const Caller target = newOrganisation("nieuw", demoMemberUserId());
    database.write([&](Connection& db) {
        accounts::addUser(db, {"lid-nieuw", "lid@nieuw.nl", "Lid Nieuw", "2026-03-16T10:00:00Z"});
        accounts::addMembership(db, {"nieuw", "lid-nieuw", "member", "2026-03-16T10:00:00Z"});
    });
    Caller admin = owner;
    admin.membership = Membership{demoOrganizationId(), demoOwnerUserId(), "owner", "2026-03-16T10:00:00Z"};
    testing::TempDir mail;
    inviteMember(database, MailOutbox(mail.path()), admin, {"lid@nieuw.nl", "member", "Lid", "Nieuw"}, kNow);
    inviteMember(database, MailOutbox(mail.path()), admin, {"ander@nieuw.nl", "member", "An", "Der"}, kNow);
    ScheduleInvoiceRunner runner(database);  // the demo's auto-sending schedule plans a send
    runner.runDue(kNow);
    runner.runDue(kNow + days{20});
    const auto rows = [&](const std::string& table, const std::string& org) {
        return database.read([&](Connection& db) { return organizationdata::rows(db, table, org); });
    };
    ASSERT_FALSE(rows("scheduled_send", demoOrganizationId()).empty());

    importOrganization(database, target, "replace", kPassword, exported(), kNow);

    const std::vector<Json> invites = rows("member_invite", "nieuw");
    ASSERT_EQ(invites.size(), 1u);
    EXPECT_EQ(invites[0]["email"], "ander@nieuw.nl");
    const std::vector<Json> sends = rows("scheduled_send", "nieuw");
    EXPECT_EQ(sends.size(), rows("scheduled_send", demoOrganizationId()).size());
    for (const Json& send : sends) {
        EXPECT_EQ(send["user_id"], demoMemberUserId());
        EXPECT_EQ(send["device_id"], target.deviceId);
    }
}

// Merging books numbered elsewhere: numbers the organisation already handed out refuse the merge;
// free ones are kept, and the next number comes after them.
TEST_F(DataActionsIntegrationTest, AMergeKeepsInvoiceNumbersUniqueAndTheCounterAheadOfThem) {
    // The demo's invoices end at FAC-2026-0021 and its credit notes, of the same series, at 0023.
    EXPECT_EQ(nextNumber(demoOrganizationId()), "FAC-2026-0024");
    const Caller clashing = newOrganisation("botsend");
    addSentInvoice("botsend", "f-botsend", "FAC-2026-0020");
    addSentInvoice("botsend", "f-vrij", "FAC-2026-0040");
    const std::int64_t before = lastSequence();
    EXPECT_EQ(
        errorOf([&] { importOrganization(database, owner, "merge", kPassword, exported(clashing), kNow); }),
        "409 De bundel bevat factuurnummers die deze organisatie al gebruikt (FAC-2026-0020). Een "
        "uitgegeven factuurnummer verandert nooit, dus samenvoegen kan niet; importeer met \"replace\" "
        "of in een nieuwe organisatie.");
    EXPECT_EQ(lastSequence(), before);
    EXPECT_FALSE(database.read(
        [&](Connection& db) { return records::find(db, demoOrganizationId(), "draftInvoice", "f-vrij"); }));

    // Numbers right after the organisation's own, and a counter of the other side behind them.
    const Caller source = newOrganisation("bron");
    addSentInvoice("bron", "f-25", "FAC-2026-0025");
    addSentInvoice("bron", "f-26", "FAC-2026-0026");
    database.write([&](Connection& db) { invoicenumbercounter::setLast(db, "bron", 2026, 3); });
    importOrganization(database, owner, "merge", kPassword, exported(source), kNow);
    EXPECT_EQ(nextNumber(demoOrganizationId()), "FAC-2026-0027");

    // A counter of the other side that is further goes along: what it handed out stays taken.
    const Caller further = newOrganisation("verder");
    database.write([&](Connection& db) { invoicenumbercounter::setLast(db, "verder", 2026, 60); });
    importOrganization(database, owner, "merge", kPassword, exported(further), kNow);
    EXPECT_EQ(nextNumber(demoOrganizationId()), "FAC-2026-0061");
}

TEST_F(DataActionsIntegrationTest, AMergingImportKeepsWhatIsThereAndAddsWhatIsNot) {
    const std::string bundle = exported();
    const std::vector<StoredRecord> secondBefore = liveRecords(secondOrganizationId());
    const StoredRecord ownSettings = database.read([&](Connection& db) {
        return records::all(db, secondOrganizationId(), std::string("orgSettings")).front();
    });

    // Into its own organisation: everything is there already.
    const Json again = importOrganization(database, owner, "merge", kPassword, bundle, kNow);
    EXPECT_EQ(again["result"]["rowsInserted"], 0);
    EXPECT_EQ(again["result"]["assetsRestored"], 0);
    EXPECT_EQ(again["result"]["warnings"].size(), 2u);

    const Json merged = importOrganization(database, ownerOfSecond, "merge", kPassword, bundle, kNow);
    const std::vector<StoredRecord> after = liveRecords(secondOrganizationId());
    const std::size_t demoSettings = 1;
    EXPECT_EQ(after.size(), secondBefore.size() + liveRecords(demoOrganizationId()).size() - demoSettings);
    const std::vector<StoredRecord> settings = database.read(
        [&](Connection& db) { return records::all(db, secondOrganizationId(), std::string("orgSettings")); });
    ASSERT_EQ(settings.size(), 1u);
    EXPECT_EQ(settings[0].payload, ownSettings.payload);
    EXPECT_EQ(merged["result"]["assetsRestored"], 2);
}

TEST_F(DataActionsIntegrationTest, ABadPasswordOrBundleIsRefusedAndChangesNothing) {
    const std::string bundle = exported();
    const std::int64_t before = lastSequence();
    const std::size_t records = liveRecords(secondOrganizationId()).size();
    std::string altered = bundle;
    altered[altered.size() / 2] ^= 0x20;

    const auto import = [&](const std::string& mode, const std::string& password, const std::string& bytes) {
        return errorOf([&] { importOrganization(database, ownerOfSecond, mode, password, bytes, kNow); });
    };
    EXPECT_EQ(import("replace", "fout wachtwoord", bundle),
              "422 Het wachtwoord is onjuist, of de bundel is beschadigd.");
    EXPECT_EQ(import("replace", kPassword, bundle.substr(0, bundle.size() - 40)),
              "422 De bundel is beschadigd of onvolledig: hij is na het exporteren veranderd.");
    EXPECT_EQ(import("replace", kPassword, altered),
              "422 De bundel is beschadigd of onvolledig: hij is na het exporteren veranderd.");
    EXPECT_EQ(import("replace", kPassword, "een tekstbestand"),
              "422 Dit bestand is geen Zelvorin-exportbundel.");
    EXPECT_EQ(import("overschrijven", kPassword, bundle),
              "422 Kies \"merge\" of \"replace\" als manier van importeren.");
    EXPECT_EQ(errorOf([&] { exportOrganization(database, owner, "kort", kNow, kCheap); }),
              "422 Kies een wachtwoord van minstens 8 tekens voor de export.");

    EXPECT_EQ(lastSequence(), before);
    EXPECT_EQ(liveRecords(secondOrganizationId()).size(), records);
    EXPECT_TRUE(files(secondOrganizationId()).empty());
}

TEST_F(DataActionsIntegrationTest, DeletingTheOrganisationTakesItsDataAndSessionsOnlyWithItsExactName) {
    database.write([&](Connection& db) {
        for (const char* user : {"owner", "member"}) {
            const std::string userId = std::string(user) == "owner" ? demoOwnerUserId() : demoMemberUserId();
            signins::addSession(
                db, DeviceSession{std::string("sessie-") + user, userId, demoOrganizationId(), "apparaat",
                                  "linux", "1.0", "Werkplek", "", "", "t", "t", false});
            signins::addRefreshToken(db, std::string("hash-") + user, std::string("sessie-") + user, 0);
        }
    });
    const std::size_t secondRecords = liveRecords(secondOrganizationId()).size();

    EXPECT_EQ(errorOf([&] { deleteOrganization(database, owner, "studio zelvorin"); }),
              "422 De naam komt niet overeen. Typ \"Studio Zelvorin\" precies zo om de organisatie te "
              "verwijderen.");
    EXPECT_EQ(errorOf([&] {
                  deleteOrganization(database, callerOf(demoMemberUserId(), demoOrganizationId()),
                                     "Studio Zelvorin");
              }),
              "403 Alleen de eigenaar kan de organisatie verwijderen.");
    EXPECT_FALSE(liveRecords(demoOrganizationId()).empty());

    deleteOrganization(database, owner, "Studio Zelvorin");

    database.read([&](Connection& db) {
        EXPECT_FALSE(accounts::organization(db, demoOrganizationId()));
        EXPECT_FALSE(signins::session(db, "sessie-member"));
        // No table keeps a row of it.
        Statement tables = db.prepare(
            "SELECT m.name FROM sqlite_master m WHERE m.type = 'table' AND EXISTS "
            "(SELECT 1 FROM pragma_table_info(m.name) c WHERE c.name = 'organization_id')");
        while (tables.step()) {
            Statement count =
                db.prepare("SELECT COUNT(*) FROM " + tables.text(0) + " WHERE organization_id = ?");
            count.bindAll(demoOrganizationId());
            count.step();
            EXPECT_EQ(count.int64(0), 0) << tables.text(0);
        }
        Statement tokens = db.prepare("SELECT COUNT(*) FROM refresh_token WHERE session_id LIKE 'sessie-%'");
        tokens.step();
        EXPECT_EQ(tokens.int64(0), 0);
        // The owner keeps her account and her other organisation.
        EXPECT_TRUE(accounts::user(db, demoOwnerUserId()));
    });
    EXPECT_EQ(liveRecords(secondOrganizationId()).size(), secondRecords);
}

TEST_F(DataActionsIntegrationTest, StatisticsCountTheOrganisationsOwnFilesAndRecords) {
    const Json stats = dataStats(database, owner);
    EXPECT_EQ(stats["storage"]["total"], 3006);
    EXPECT_EQ(stats["storage"]["byPrefix"]["kvitra"], 6);
    EXPECT_EQ(stats["storage"]["byPrefix"]["invoices"], 3000);
    EXPECT_EQ(stats["storage"]["byPrefix"]["logos"], 0);
    std::map<std::string, std::int64_t> byType;
    for (const StoredRecord& record : liveRecords(demoOrganizationId()))
        ++byType[record.entityType];
    EXPECT_EQ(stats["records"]["invoices"], byType["draftInvoice"] + byType["creditNote"]);
    EXPECT_EQ(stats["records"]["contacts"], byType["customer"] + byType["contact"]);
    EXPECT_EQ(stats["records"]["transactions"], byType["bankTransaction"]);
    EXPECT_EQ(stats["records"]["total"], static_cast<std::int64_t>(liveRecords(demoOrganizationId()).size()));
    EXPECT_GT(stats["records"]["transactions"].get<std::int64_t>(), 0);

    EXPECT_EQ(dataStats(database, ownerOfSecond)["storage"]["total"], 0);
}

}  // namespace
}  // namespace zelvorin::service
