#include "service/store/OrganizationData.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "persistence/sqlite/Connection.h"
#include "service/store/RecordBatch.h"

namespace zelvorin::service::organizationdata {

namespace {

using Json = nlohmann::ordered_json;

std::vector<std::string> columnsOf(Connection& db, const std::string& table) {
    Statement info = db.prepare("SELECT name FROM pragma_table_info(?)");
    info.bindAll(table);
    std::vector<std::string> columns;
    while (info.step())
        columns.push_back(info.text(0));
    return columns;
}

std::string quoted(const std::string& identifier) {
    return "\"" + identifier + "\"";
}

// Rows of a carried table that never leave the service: the keys of outside providers (an admin
// may export, and the keys are never shown to anyone once stored).
std::string travellingRows(const std::string& table) {
    return table == "org_integration" ? "name NOT LIKE 'key:%'" : "1";
}

void requireCarried(const std::string& table) {
    const auto& carried = carriedTables();
    if (std::find(carried.begin(), carried.end(), table) == carried.end())
        throw std::invalid_argument("tabel " + table + " hoort niet bij een export");
}

}  // namespace

std::vector<StoredFile> files(Connection& db, const std::string& organizationId) {
    Statement& query = db.cached(
        "SELECT key, file_name, content_type, bytes FROM stored_file WHERE organization_id = ? ORDER BY key");
    query.bindAll(organizationId);
    std::vector<StoredFile> found;
    while (query.step())
        found.push_back(StoredFile{query.text(0), query.text(1), query.text(2), query.blob(3)});
    return found;
}

void removeFiles(Connection& db, const std::string& organizationId) {
    db.cached("DELETE FROM stored_file WHERE organization_id = ?").bindAll(organizationId).run();
}

FileUsage fileUsage(Connection& db, const std::string& organizationId) {
    Statement& query = db.cached(
        "SELECT CASE WHEN instr(key, '/') > 0 THEN substr(key, 1, instr(key, '/') - 1) ELSE key END, "
        "SUM(length(bytes)) FROM stored_file WHERE organization_id = ? GROUP BY 1");
    query.bindAll(organizationId);
    FileUsage usage;
    while (query.step()) {
        usage.byPrefix[query.text(0)] += query.int64(1);
        usage.total += query.int64(1);
    }
    return usage;
}

std::map<std::string, std::int64_t> liveRecordCounts(Connection& db, const std::string& organizationId) {
    RecordBatch::flushOpen(db);
    Statement& query = db.cached(
        "SELECT entity_type, COUNT(*) FROM record WHERE organization_id = ? AND deleted = 0 GROUP BY "
        "entity_type");
    query.bindAll(organizationId);
    std::map<std::string, std::int64_t> counts;
    while (query.step())
        counts[query.text(0)] = query.int64(1);
    return counts;
}

namespace {

// In the order an import writes the carried ones.
const std::vector<std::pair<std::string, ExportRole>>& exportRoles() {
    static const std::vector<std::pair<std::string, ExportRole>> roles{
        {"record", ExportRole::records},
        {"change_log", ExportRole::records},
        {"stored_file", ExportRole::files},
        // The books beside the records: numbering, histories, schedules' days off and billed
        // periods, bank rules, briefing decisions, the organisation's fonts (their files are
        // stored files), open invitations and the sends waiting for their time.
        {"invoice_number_counter", ExportRole::carried},
        {"invoice_event", ExportRole::carried},
        {"schedule_day_off", ExportRole::carried},
        {"schedule_run", ExportRole::carried},
        {"bank_rule", ExportRole::carried},
        {"briefing_decision", ExportRole::carried},
        {"org_font", ExportRole::carried},
        {"member_invite", ExportRole::carried},
        {"proposal_event", ExportRole::carried},
        {"scheduled_send", ExportRole::carried},
        {"org_integration", ExportRole::carried},
        // Who may sign in where, and what their devices did: an import brings books, not people.
        {"membership", ExportRole::leftBehind},
        {"sign_in_grant", ExportRole::leftBehind},
        {"device_session", ExportRole::leftBehind},
        {"onboarding_step", ExportRole::leftBehind},
        {"push_receipt", ExportRole::leftBehind},
        {"inbox_upload_key", ExportRole::leftBehind},
        // The audit log says what happened on this service to that organisation, entry by entry
        // against its change log. Copied into another organisation it would claim actions nobody
        // took there; the import itself is logged instead, a record at a time.
        {"audit_entry", ExportRole::leftBehind},
    };
    return roles;
}

}  // namespace

std::optional<ExportRole> exportRole(const std::string& table) {
    for (const auto& [name, role] : exportRoles())
        if (name == table) return role;
    return std::nullopt;
}

const std::vector<std::string>& carriedTables() {
    static const std::vector<std::string> tables = [] {
        std::vector<std::string> carried;
        for (const auto& [name, role] : exportRoles())
            if (role == ExportRole::carried) carried.push_back(name);
        return carried;
    }();
    return tables;
}

std::vector<Json> rows(Connection& db, const std::string& table, const std::string& organizationId) {
    requireCarried(table);
    Statement query = db.prepare("SELECT * FROM " + quoted(table) + " WHERE organization_id = ? AND (" +
                                 travellingRows(table) + ") ORDER BY rowid");
    query.bindAll(organizationId);
    std::vector<Json> found;
    while (query.step()) {
        Json row = Json::object();
        for (int column = 0; column < query.columnCount(); ++column) {
            const std::string name(query.columnName(column));
            if (name == "organization_id") continue;
            const SqlValue value = query.value(column);
            if (const auto* integer = std::get_if<std::int64_t>(&value))
                row[name] = *integer;
            else if (const auto* real = std::get_if<double>(&value))
                row[name] = *real;
            else if (const auto* text = std::get_if<std::string>(&value))
                row[name] = *text;
            else
                row[name] = nullptr;
        }
        found.push_back(std::move(row));
    }
    return found;
}

bool insertRow(Connection& db, const std::string& table, const std::string& organizationId,
               const Json& columns) {
    requireCarried(table);
    if (!columns.is_object()) throw std::invalid_argument("een rij van " + table + " is geen object");
    const std::vector<std::string> known = columnsOf(db, table);
    std::string names = "organization_id", values = "? AS organization_id";
    for (const auto& [name, value] : columns.items()) {
        if (name == "organization_id" || std::find(known.begin(), known.end(), name) == known.end())
            throw std::invalid_argument("tabel " + table + " heeft geen kolom " + name);
        if (!value.is_null() && !value.is_string() && !value.is_number())
            throw std::invalid_argument("kolom " + name + " van " + table + " heeft een ongeldige waarde");
        names += ", " + quoted(name);
        values += ", ? AS " + quoted(name);
    }
    // Selected through the same condition as rows(), so what an export leaves out cannot come in.
    Statement insert = db.prepare("INSERT OR IGNORE INTO " + quoted(table) + " (" + names + ") SELECT " +
                                  names + " FROM (SELECT " + values + ") WHERE " + travellingRows(table));
    int index = 1;
    insert.bind(index++, organizationId);
    for (const auto& [name, value] : columns.items()) {
        if (value.is_null())
            insert.bind(index++, nullptr);
        else if (value.is_string())
            insert.bind(index++, value.get<std::string>());
        else if (value.is_number_integer())
            insert.bind(index++, value.get<std::int64_t>());
        else
            insert.bind(index++, value.get<double>());
    }
    insert.run();
    return db.changes() > 0;
}

void removeRows(Connection& db, const std::string& table, const std::string& organizationId) {
    requireCarried(table);
    db.prepare("DELETE FROM " + quoted(table) + " WHERE organization_id = ?").bindAll(organizationId).run();
}

void rename(Connection& db, const std::string& organizationId, const std::string& name) {
    db.cached("UPDATE organization SET name = ? WHERE id = ?").bindAll(name, organizationId).run();
}

void erase(Connection& db, const std::string& organizationId) {
    // Rows refer to each other (audit entries and records to the change log, sessions to the
    // organisation); checked at commit, the order of the deletes below does not matter.
    db.exec("PRAGMA defer_foreign_keys = ON");
    db.prepare(
          "DELETE FROM refresh_token WHERE session_id IN "
          "(SELECT id FROM device_session WHERE organization_id = ?)")
        .bindAll(organizationId)
        .run();
    // Every table with an organization_id column, so a table added later is not forgotten.
    std::vector<std::string> tables;
    Statement list = db.prepare(
        "SELECT m.name FROM sqlite_master m WHERE m.type = 'table' AND m.name <> 'organization' AND EXISTS "
        "(SELECT 1 FROM pragma_table_info(m.name) c WHERE c.name = 'organization_id')");
    while (list.step())
        tables.push_back(list.text(0));
    for (const std::string& table : tables)
        db.prepare("DELETE FROM " + quoted(table) + " WHERE organization_id = ?")
            .bindAll(organizationId)
            .run();
    db.prepare("DELETE FROM organization WHERE id = ?").bindAll(organizationId).run();
}

}  // namespace zelvorin::service::organizationdata
