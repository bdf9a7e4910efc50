#include <set>
#include <stdexcept>

#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "service/data/BundleFrames.h"
#include "service/data/DataActions.h"
#include "service/data/ImportedInvoiceNumbers.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceNumbering.h"
#include "service/store/Accounts.h"
#include "service/store/InvoiceNumberCounter.h"
#include "service/store/OrganizationData.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/ServiceMigrations.h"

namespace zelvorin::service {

namespace {

// What wrote a bundle and what reads it: the service's version and its schema's migration count.
constexpr const char* kServiceVersion = "1.0";

std::string runtimeSchema() {
    return std::to_string(serviceMigrations().size());
}

Organization requireOrganization(Connection& db, const Caller& caller) {
    std::optional<Organization> organization = accounts::organization(db, caller.organizationId);
    if (!organization) throw ServiceError(ErrorKind::notFound, "Deze organisatie bestaat niet (meer).");
    return *organization;
}

// The contents of an opened bundle, sorted by kind.
struct BundleContents {
    Json manifest;
    std::vector<bundle::Frame> records, rows, files;
};

BundleContents readContents(std::string_view sealed, const std::string& password) {
    std::vector<bundle::Frame> frames;
    try {
        frames = bundle::decodeFrames(bundle::openBundle(sealed, password));
    } catch (const bundle::BundleError& error) {
        throw ServiceError(ErrorKind::unprocessable, error.what());
    }
    BundleContents contents;
    for (bundle::Frame& frame : frames) {
        const std::string kind = frame.header["kind"];
        if (kind == "manifest")
            contents.manifest = std::move(frame.header);
        else if (kind == "record")
            contents.records.push_back(std::move(frame));
        else if (kind == "row")
            contents.rows.push_back(std::move(frame));
        else if (kind == "file")
            contents.files.push_back(std::move(frame));
        else
            throw ServiceError(ErrorKind::unprocessable,
                               "De bundel bevat gegevens die deze versie niet kent.");
    }
    if (!contents.manifest.is_object())
        throw ServiceError(ErrorKind::unprocessable, "De bundel is onvolledig: de inhoudsopgave ontbreekt.");
    return contents;
}

std::string headerText(const Json& header, const char* key) {
    const auto member = header.find(key);
    if (member == header.end() || !member->is_string() || member->get<std::string>().empty())
        throw ServiceError(ErrorKind::unprocessable, "De inhoud van de bundel is onleesbaar.");
    return member->get<std::string>();
}

std::string manifestText(const Json& manifest, const char* key) {
    const auto member = manifest.find(key);
    return member != manifest.end() && member->is_string() ? member->get<std::string>() : std::string();
}

struct ImportCounts {
    std::int64_t rowsInserted = 0;
    std::int64_t assetsRestored = 0;
    std::int64_t recordsKept = 0;
    std::int64_t filesKept = 0;
    std::vector<std::string> warnings;
};

void clearOrganization(Connection& db, const Caller& caller, TimePoint now, const Actor& actor) {
    for (const StoredRecord& record : records::all(db, caller.organizationId, std::nullopt)) {
        if (record.deleted) continue;
        writeRecord(db, RecordChange{caller.organizationId,
                                     *parseSyncEntityType(record.entityType),
                                     record.id,
                                     RecordOperation::remove,
                                     {},
                                     now,
                                     actor,
                                     std::nullopt});
    }
    organizationdata::removeFiles(db, caller.organizationId);
    for (const std::string& table : organizationdata::carriedTables())
        organizationdata::removeRows(db, table, caller.organizationId);
}

void importRecords(Connection& db, const Caller& caller, const BundleContents& contents, bool merge,
                   TimePoint now, const Actor& actor, ImportCounts& counts) {
    const bool keepOwnSettings = merge && !records::withMember(db, caller.organizationId, "orgSettings",
                                                               "organizationId", caller.organizationId)
                                               .empty();
    ImportedInvoiceNumbers numbers(db, caller.organizationId);
    for (const bundle::Frame& frame : contents.records) {
        const std::string typeText = headerText(frame.header, "entityType");
        const std::string id = headerText(frame.header, "id");
        const std::optional<SyncEntityType> type = parseSyncEntityType(typeText);
        if (!type)
            throw ServiceError(ErrorKind::unprocessable,
                               "De bundel bevat gegevens die deze versie niet kent.");
        if (merge) {
            const std::optional<StoredRecord> existing =
                records::find(db, caller.organizationId, typeText, id);
            if ((existing && !existing->deleted) ||
                (keepOwnSettings && *type == SyncEntityType::orgSettings)) {
                ++counts.recordsKept;
                continue;
            }
        }
        nlohmann::ordered_json payload = nlohmann::ordered_json::parse(frame.body, nullptr, false);
        if (!payload.is_object())
            throw ServiceError(ErrorKind::unprocessable, "De inhoud van de bundel is onleesbaar.");
        if (merge) numbers.check(typeText, id, payload);
        // The one id that changes: the records now belong to this organisation.
        if (payload.contains("organizationId")) payload["organizationId"] = caller.organizationId;
        writeRecord(db, RecordChange{caller.organizationId, *type, id, RecordOperation::put,
                                     std::move(payload), now, actor, std::nullopt});
        ++counts.rowsInserted;
    }
    // Refused after the loop, so the refusal names every clash; nothing written survives it.
    numbers.requireNoClash();
}

void importFiles(Connection& db, const Caller& caller, const BundleContents& contents, bool merge,
                 TimePoint now, ImportCounts& counts) {
    for (const bundle::Frame& frame : contents.files) {
        StoredFile file{headerText(frame.header, "key"), headerText(frame.header, "fileName"),
                        headerText(frame.header, "contentType"), frame.body};
        if (merge && storedfiles::find(db, caller.organizationId, file.key)) {
            ++counts.filesKept;
            continue;
        }
        storedfiles::put(db, caller.organizationId, file, now);
        ++counts.assetsRestored;
    }
}

// A merge keeps the organisation's own counter unless the bundle's is further: a number handed
// out in either stays handed out.
bool mergeCounter(Connection& db, const Caller& caller, const Json& columns) {
    const auto year = columns.find("year");
    const auto last = columns.find("last_sequence");
    if (year == columns.end() || !year->is_number_integer() || last == columns.end() ||
        !last->is_number_integer() || last->get<std::int64_t>() < 0)
        throw std::invalid_argument("een teller zonder jaar of volgnummer");
    const std::optional<std::int64_t> own =
        invoicenumbercounter::last(db, caller.organizationId, year->get<int>());
    if (own && *own >= last->get<std::int64_t>()) return false;
    invoicenumbercounter::setLast(db, caller.organizationId, year->get<int>(), last->get<std::int64_t>());
    return true;
}

// Rows that name people of the organisation they came from, made to fit this one. False for a row
// that cannot come in: an invitation for an address that is already a member here.
bool adoptRow(Connection& db, const Caller& caller, const std::string& table, Json& columns) {
    if (table == "scheduled_send") {
        // A waiting send is made in its planner's name; one who is no member here is replaced by
        // the importer, so the send still goes out.
        const auto user = columns.find("user_id");
        if (user == columns.end() || !user->is_string() ||
            !accounts::membership(db, caller.organizationId, user->get<std::string>())) {
            columns["user_id"] = caller.userId;
            columns["device_id"] = caller.deviceId;
        }
    } else if (table == "member_invite") {
        const auto email = columns.find("email");
        if (email != columns.end() && email->is_string())
            if (const auto user = accounts::userByEmail(db, email->get<std::string>()))
                return !accounts::membership(db, caller.organizationId, user->id);
    }
    return true;
}

void importRows(Connection& db, const Caller& caller, const BundleContents& contents, bool merge,
                ImportCounts& counts) {
    for (const bundle::Frame& frame : contents.rows) {
        Json columns = Json::parse(frame.body, nullptr, false);
        const std::string table = headerText(frame.header, "table");
        try {
            if (!columns.is_object()) throw std::invalid_argument("een rij van " + table + " is geen object");
            bool added = false;
            if (merge && table == "invoice_number_counter")
                added = mergeCounter(db, caller, columns);
            else if (adoptRow(db, caller, table, columns))
                added = organizationdata::insertRow(db, table, caller.organizationId, columns);
            if (added) ++counts.rowsInserted;
        } catch (const std::invalid_argument&) {
            throw ServiceError(ErrorKind::unprocessable,
                               "De bundel bevat gegevens die deze versie niet kent.");
        }
    }
    // Invoices numbered beside a counter that knew nothing of them: the next number follows them.
    if (merge) keepInvoiceNumberCountersAhead(db, caller.organizationId);
}

}  // namespace

DataFile exportOrganization(const ServiceDatabase& database, const Caller& caller,
                            const std::string& password, TimePoint now, bundle::KdfCost cost) {
    if (password.size() < kMinExportPasswordLength)
        throw ServiceError(ErrorKind::unprocessable, "Kies een wachtwoord van minstens " +
                                                         std::to_string(kMinExportPasswordLength) +
                                                         " tekens voor de export.");
    bundle::BundleSealer sealer(password, cost);
    // One read transaction: records, files and rows are one moment of the organisation.
    database.read([&](Connection& db) {
        const Organization organization = requireOrganization(db, caller);
        sealer.append(bundle::encodeFrame(Json{{"kind", "manifest"},
                                               {"orgName", organization.name},
                                               {"schemaVersion", runtimeSchema()},
                                               {"appVersion", kServiceVersion},
                                               {"isEncrypted", true},
                                               {"exportedAt", formatTimestampSeconds(now)}},
                                          {}));
        for (const StoredRecord& record : records::all(db, caller.organizationId, std::nullopt)) {
            if (record.deleted) continue;
            sealer.append(bundle::encodeFrame(
                Json{{"kind", "record"}, {"entityType", record.entityType}, {"id", record.id}},
                record.payload.dump()));
        }
        for (const std::string& table : organizationdata::carriedTables())
            for (const Json& row : organizationdata::rows(db, table, caller.organizationId))
                sealer.append(bundle::encodeFrame(Json{{"kind", "row"}, {"table", table}}, row.dump()));
        for (const StoredFile& file : organizationdata::files(db, caller.organizationId))
            sealer.append(bundle::encodeFrame(Json{{"kind", "file"},
                                                   {"key", file.key},
                                                   {"fileName", file.fileName},
                                                   {"contentType", file.contentType}},
                                              file.bytes));
    });
    return DataFile{"zelvorin-export-" + formatCalendarDate(amsterdamDate(now)) + ".ufbs", sealer.finish()};
}

Json importOrganization(const ServiceDatabase& database, const Caller& caller, const std::string& mode,
                        const std::string& password, std::string_view sealed, TimePoint now) {
    if (mode != "merge" && mode != "replace")
        throw ServiceError(ErrorKind::unprocessable,
                           "Kies \"merge\" of \"replace\" als manier van importeren.");
    if (sealed.empty()) throw ServiceError(ErrorKind::unprocessable, "Er is geen bundel meegestuurd.");
    // Everything is opened and checked before the database is touched.
    const BundleContents contents = readContents(sealed, password);
    const bool merge = mode == "merge";
    const Actor actor{ChangeSource::route, caller.userId, caller.deviceId};

    ImportCounts counts = database.write([&](Connection& db) {
        requireOrganization(db, caller);
        ImportCounts written;
        if (!merge) {
            clearOrganization(db, caller, now, actor);
            const std::string name = manifestText(contents.manifest, "orgName");
            if (!name.empty()) organizationdata::rename(db, caller.organizationId, name);
        }
        importRecords(db, caller, contents, merge, now, actor, written);
        importRows(db, caller, contents, merge, written);
        importFiles(db, caller, contents, merge, now, written);
        return written;
    });

    if (counts.recordsKept > 0)
        counts.warnings.push_back(std::to_string(counts.recordsKept) +
                                  " gegevens bestonden al en zijn niet overschreven.");
    if (counts.filesKept > 0)
        counts.warnings.push_back(std::to_string(counts.filesKept) +
                                  " bestanden bestonden al en zijn niet overschreven.");
    const std::string bundleSchema = manifestText(contents.manifest, "schemaVersion");
    if (bundleSchema != runtimeSchema())
        counts.warnings.push_back("De bundel komt van een andere versie van de dienst (schema " +
                                  bundleSchema + ", hier " + runtimeSchema() + ").");
    return Json{{"ok", true},
                {"manifest",
                 {{"orgName", manifestText(contents.manifest, "orgName")},
                  {"schemaVersion", bundleSchema},
                  {"appVersion", manifestText(contents.manifest, "appVersion")},
                  {"isEncrypted", true}}},
                {"result",
                 {{"rowsInserted", counts.rowsInserted},
                  {"assetsRestored", counts.assetsRestored},
                  {"warnings", counts.warnings},
                  {"versions",
                   {{"bundleApp", manifestText(contents.manifest, "appVersion")},
                    {"runtimeApp", kServiceVersion},
                    {"bundleSchema", bundleSchema},
                    {"runtimeSchema", runtimeSchema()}}}}}};
}

}  // namespace zelvorin::service
