#include "screens/DataTransfer.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "api-client/FileTransfers.h"
#include "api-client/ScheduleActions.h"
#include "app/tests/EnvironmentFixture.h"
#include "persistence/sqlite/Connection.h"
#include "screens/InputError.h"
#include "testing/Shell.h"

// An organisation exported, deleted and imported into a new one: a new device pulls it back whole.
namespace zelvorin::testing {
namespace {

constexpr const char* kOwner = "sanne@studiozelvorin.nl";
constexpr const char* kMember = "daan@studiozelvorin.nl";  // of the demo organisation only
constexpr const char* kPassword = "lange zin als wachtwoord";

// The live rows of every synced table, without what differs by organisation and by sync: the
// organisation's id (the one id an import gives anew), revisions and sync bookkeeping.
using TableRows = std::map<std::string, std::multiset<std::string>>;
TableRows syncedRows(AppEnvironment& device) {
    static const std::set<std::string> skipped{"organization_id",   "revision",        "sync_state",
                                               "local_modified_at", "last_sync_error", "server_modified_at"};
    return device.database().writer->read([&](Connection& db) {
        TableRows rows;
        Statement tables = db.prepare(
            "SELECT m.name FROM sqlite_master m WHERE m.type = 'table' AND EXISTS "
            "(SELECT 1 FROM pragma_table_info(m.name) c WHERE c.name = 'sync_state') ORDER BY m.name");
        while (tables.step()) {
            const std::string table = tables.text(0);
            Statement columns = db.prepare("SELECT name FROM pragma_table_info(?)");
            columns.bindAll(table);
            bool tombstones = false;
            while (columns.step())
                tombstones = tombstones || columns.text(0) == "deleted_at";
            Statement select =
                db.prepare("SELECT * FROM " + table + (tombstones ? " WHERE deleted_at IS NULL" : ""));
            auto& set = rows[table];
            while (select.step()) {
                std::string row;
                for (int i = 0; i < select.columnCount(); ++i) {
                    const std::string name(select.columnName(i));
                    if (skipped.contains(name)) continue;
                    row += name + "=" + (select.isNull(i) ? "NULL" : select.text(i)) + "|";
                }
                set.insert(row);
            }
        }
        return rows;
    });
}

template <class Call>
std::string refusal(Call call) {
    try {
        call();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "geen fout";
}

TEST(DataTransferIntegrationTest, AnExportedDeletedAndImportedOrganisationReachesANewDeviceWhole) {
    ServiceProcess::Options options = ServiceProcess::demo();
    options.now = "2026-03-16T10:00:00Z";  // no schedule comes due while the test runs
    ServiceProcess service(options);
    TempDir root;

    // The owner's device, with a scan, an attachment, a day off and a customer of its own.
    auto source = makeEnvironment(root / "a", service.baseUrl());
    ASSERT_TRUE(source->handleOpenURL(callbackFor(service, *source, std::string(kOwner))));
    source->syncNow();
    const std::string scan =
        readFile(std::filesystem::path(ZELVORIN_INTELLIGENCE_SAMPLES) / "receipt-photo.jpg");
    const std::vector<std::string> scans = uploadKvitraDocument(
        source->apiClient(), KvitraUpload{"upload", false, "bon.jpg", "image/jpeg", scan, std::nullopt});
    ASSERT_EQ(scans.size(), 1u);
    const std::vector<UploadedAttachment> attachments = uploadInvoiceAttachments(
        source->apiClient(), {{"voorwaarden.txt", "application/octet-stream", "Betaling binnen 14 dagen."}});
    const std::string scheduleId = source->repositories().schedules.schedules().at(0).id;
    scheduleactions::addDayOff(source->apiClient(), scheduleId, "2026-04-15", "vakantie");
    CustomerRecord customer;
    customer.organizationId = source->repositories().schedules.schedules().at(0).organizationId;
    customer.companyName = "Nog niet gesynchroniseerd B.V.";
    source->repositories().customers.createCustomer(customer);

    // A device with a change still in its outbox does not import.
    const ExportedFile early = dataactions::exportData(source->apiClient(), kPassword);
    EXPECT_EQ(refusal([&] {
                  importDataBundle(*source, {"merge", kPassword, early.fileName, early.data});
              }),
              "Dit apparaat heeft nog 1 niet-gesynchroniseerde wijziging. Synchroniseer eerst en importeer "
              "daarna.");

    source->syncNow();
    const TableRows exportedRows = syncedRows(*source);
    const dataactions::NativeDataStats exportedStats = dataactions::dataStats(source->apiClient());
    const ExportedFile bundle = dataactions::exportData(source->apiClient(), kPassword);
    EXPECT_TRUE(bundle.fileName.ends_with(".ufbs")) << bundle.fileName;

    // The privacy export is a ZIP that unzip accepts, holding the owner's profile.
    const ExportedFile privacy = dataactions::exportPersonalData(source->apiClient());
    writeFile(root / "avg.zip", privacy.data);
    EXPECT_NE(runCommand("unzip -t " + (root / "avg.zip").string()).find("No errors detected"),
              std::string::npos);
    EXPECT_NE(runCommand("unzip -p " + (root / "avg.zip").string() + " profiel.json").find(kOwner),
              std::string::npos);

    // Deleting needs the exact name; then the organisation is gone and its sessions with it.
    EXPECT_EQ(refusal([&] { dataactions::deleteOrganization(source->apiClient(), "Studio"); }),
              "conflict: De naam komt niet overeen. Typ \"Studio Zelvorin\" precies zo om de organisatie te "
              "verwijderen.");
    dataactions::deleteOrganization(source->apiClient(), "Studio Zelvorin");
    try {
        dataactions::dataStats(source->apiClient());
        ADD_FAILURE() << "the deleted organisation's session still answered";
    } catch (const APIError& error) {
        EXPECT_EQ(error.kind(), APIError::Kind::unauthorized);
    }

    // The member, now without organisation, starts a new one from a new device and imports.
    auto target = makeEnvironment(root / "b", service.baseUrl());
    ASSERT_TRUE(target->handleOpenURL(callbackFor(service, *target, std::string(kMember))));
    ASSERT_EQ(target->sessionState(), SessionState::onboarding);
    OnboardingRegistration registration;
    registration.companyName = "Nieuwe Studio";
    registration.firstName = "Daan";
    registration.lastName = "Visser";
    registration.acceptedTerms = true;
    ASSERT_EQ(target->completeOnboarding(registration), std::nullopt);
    target->syncNow();

    // A wrong password and a damaged bundle change nothing.
    const dataactions::NativeDataStats empty = dataactions::dataStats(target->apiClient());
    EXPECT_EQ(refusal([&] {
                  importDataBundle(*target, {"replace", "niet het wachtwoord", bundle.fileName, bundle.data});
              }),
              "conflict: "
              "Het wachtwoord is onjuist, of de bundel is beschadigd.");
    EXPECT_EQ(refusal([&] {
                  importDataBundle(*target, {"replace", kPassword, bundle.fileName,
                                             bundle.data.substr(0, bundle.data.size() * 2 / 3)});
              }),
              "conflict: "
              "De bundel is beschadigd of onvolledig: hij is na het exporteren veranderd.");
    EXPECT_EQ(dataactions::dataStats(target->apiClient()), empty);

    const dataactions::NativeImportResult result =
        importDataBundle(*target, {"replace", kPassword, bundle.fileName, bundle.data});
    ASSERT_TRUE(result.ok);
    ASSERT_TRUE(result.result);
    EXPECT_EQ(result.result->assetsRestored, 2);
    EXPECT_EQ(result.manifest->orgName, "Studio Zelvorin");

    // A new device of the new organisation: a full sync gives the same rows and the same files.
    auto fresh = makeEnvironment(root / "c", service.baseUrl());
    ASSERT_TRUE(fresh->handleOpenURL(callbackFor(service, *fresh, std::string(kMember))));
    fresh->syncNow();
    const TableRows importedRows = syncedRows(*fresh);
    ASSERT_EQ(importedRows.size(), exportedRows.size());
    for (const auto& [table, rows] : exportedRows) {
        EXPECT_EQ(importedRows.at(table).size(), rows.size()) << table;
        EXPECT_EQ(importedRows.at(table), rows) << table;
    }
    EXPECT_EQ(dataactions::dataStats(fresh->apiClient()), exportedStats);
    EXPECT_EQ(downloadKvitraDocument(fresh->apiClient(), scans[0]).data, scan);
    EXPECT_EQ(downloadUpload(fresh->apiClient(), attachments[0].key).data, "Betaling binnen 14 dagen.");
    const std::vector<scheduleactions::NativeDayOff> daysOff =
        scheduleactions::daysOff(fresh->apiClient(), scheduleId);
    ASSERT_EQ(daysOff.size(), 1u);
    EXPECT_EQ(daysOff[0].date, "2026-04-15");
}

}  // namespace
}  // namespace zelvorin::testing
