#include "service/Storage.h"

#include <algorithm>
#include <system_error>

#include "domain/Timestamps.h"
#include "service/ServiceError.h"
#include "service/SqliteConnection.h"
#include "service/StorageSchema.h"

namespace zelvorin::service {

struct Storage::Database {
    SqliteConnection connection;
    int transactionDepth = 0;
};

namespace {

constexpr const char* kRecordColumns =
    "organization_id, entity_type, id, revision, deleted, last_sequence, changed_at, payload";

StoredRecord readRecord(const SqliteStatement& row) {
    StoredRecord record;
    record.organizationId = row.text(0);
    record.entityType = row.text(1);
    record.id = row.text(2);
    record.revision = row.integer(3);
    record.deleted = row.integer(4) != 0;
    record.sequence = row.integer(5);
    record.changedAt = row.text(6);
    record.payload = nlohmann::ordered_json::parse(row.text(7));
    return record;
}

SqliteConnection openConnection(const std::filesystem::path& directory, const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        throw ServiceError(500, "De gegevensmap " + directory.string() +
                                    " kan niet worden aangemaakt: " + error.message() + ".");
    }
    try {
        SqliteConnection connection(file);
        // WAL keeps readers (the admin view, later pulls) off the writer's back; NORMAL is durable
        // enough for a stand-in and keeps commits cheap.
        connection.exec("PRAGMA journal_mode = WAL");
        connection.exec("PRAGMA synchronous = NORMAL");
        connection.exec("PRAGMA foreign_keys = ON");
        connection.exec("PRAGMA busy_timeout = 5000");
        migrateStorage(connection);
        return connection;
    } catch (const SqliteError& sqliteError) {
        throw ServiceError(
            500, "De opslag " + file.string() + " kan niet worden geopend: " + sqliteError.what() + ".");
    }
}

}  // namespace

Storage::Storage(const std::filesystem::path& dataDirectory)
    : databasePath_(dataDirectory / kFileName),
      database_(std::make_unique<Database>(Database{openConnection(dataDirectory, databasePath_), 0})) {}

Storage::~Storage() = default;

void Storage::transaction(const std::function<void()>& work) {
    std::lock_guard lock(mutex_);
    Database& database = *database_;
    if (database.transactionDepth > 0) {
        // Already inside one: the outermost transaction commits or rolls back everything.
        ++database.transactionDepth;
        try {
            work();
        } catch (...) {
            --database.transactionDepth;
            throw;
        }
        --database.transactionDepth;
        return;
    }
    database.connection.exec("BEGIN IMMEDIATE");
    database.transactionDepth = 1;
    try {
        work();
        database.connection.exec("COMMIT");
    } catch (...) {
        database.transactionDepth = 0;
        database.connection.exec("ROLLBACK");
        throw;
    }
    database.transactionDepth = 0;
}

bool Storage::isEmpty() const {
    std::lock_guard lock(mutex_);
    return !database_->connection.prepare("SELECT 1 FROM organization LIMIT 1").step();
}

void Storage::addOrganization(const Organization& organization) {
    std::lock_guard lock(mutex_);
    database_->connection.prepare("INSERT INTO organization (id, name, created_at) VALUES (?, ?, ?)")
        .bind(1, organization.id)
        .bind(2, organization.name)
        .bind(3, organization.createdAt)
        .step();
}

void Storage::addUser(const UserAccount& user) {
    std::lock_guard lock(mutex_);
    database_->connection
        .prepare("INSERT INTO user_account (id, email, name, created_at) VALUES (?, ?, ?, ?)")
        .bind(1, user.id)
        .bind(2, user.email)
        .bind(3, user.name)
        .bind(4, user.createdAt)
        .step();
}

void Storage::addMembership(const Membership& membership) {
    std::lock_guard lock(mutex_);
    database_->connection
        .prepare("INSERT INTO membership (organization_id, user_id, role, created_at) VALUES (?, ?, ?, ?)")
        .bind(1, membership.organizationId)
        .bind(2, membership.userId)
        .bind(3, membership.role)
        .bind(4, membership.createdAt)
        .step();
}

std::vector<Organization> Storage::organizations() const {
    std::lock_guard lock(mutex_);
    SqliteStatement rows =
        database_->connection.prepare("SELECT id, name, created_at FROM organization ORDER BY id");
    std::vector<Organization> result;
    while (rows.step())
        result.push_back({rows.text(0), rows.text(1), rows.text(2)});
    return result;
}

std::optional<Organization> Storage::organization(const std::string& id) const {
    std::lock_guard lock(mutex_);
    SqliteStatement row =
        database_->connection.prepare("SELECT id, name, created_at FROM organization WHERE id = ?");
    row.bind(1, id);
    if (!row.step()) return std::nullopt;
    return Organization{row.text(0), row.text(1), row.text(2)};
}

std::vector<UserAccount> Storage::users() const {
    std::lock_guard lock(mutex_);
    SqliteStatement rows =
        database_->connection.prepare("SELECT id, email, name, created_at FROM user_account ORDER BY id");
    std::vector<UserAccount> result;
    while (rows.step())
        result.push_back({rows.text(0), rows.text(1), rows.text(2), rows.text(3)});
    return result;
}

std::vector<Membership> Storage::memberships() const {
    std::lock_guard lock(mutex_);
    SqliteStatement rows = database_->connection.prepare(
        "SELECT organization_id, user_id, role, created_at FROM membership ORDER BY organization_id, "
        "user_id");
    std::vector<Membership> result;
    while (rows.step())
        result.push_back({rows.text(0), rows.text(1), rows.text(2), rows.text(3)});
    return result;
}

StoredRecord Storage::putRecord(const RecordWrite& write) {
    std::lock_guard lock(mutex_);
    const bool exists = record(write.organizationId, write.entityType, write.id).has_value();
    return writeRecord(write, exists ? "update" : "create", false);
}

StoredRecord Storage::restateRecord(const RecordWrite& write) {
    return writeRecord(write, "update", false, /*keepRevision=*/true);
}

StoredRecord Storage::deleteRecord(const std::string& organizationId, const std::string& entityType,
                                   const std::string& id, TimePoint changedAt) {
    std::lock_guard lock(mutex_);
    const std::optional<StoredRecord> existing = record(organizationId, entityType, id);
    if (!existing) throw ServiceError(404, "Record niet gevonden.");
    RecordWrite write{organizationId, entityType,   id,          existing->payload,
                      changedAt,      std::nullopt, std::nullopt};
    write.payload["deletedAt"] = formatTimestampMillis(changedAt);
    return writeRecord(write, "delete", true);
}

StoredRecord Storage::writeRecord(const RecordWrite& write, const std::string& operation, bool deleted,
                                  bool keepRevision) {
    StoredRecord stored;
    transaction([&] {
        const std::optional<StoredRecord> existing = record(write.organizationId, write.entityType, write.id);
        stored.organizationId = write.organizationId;
        stored.entityType = write.entityType;
        stored.id = write.id;
        stored.revision = existing ? existing->revision + (keepRevision ? 0 : 1) : 1;
        stored.deleted = deleted;
        stored.changedAt = formatTimestampMillis(write.changedAt);
        stored.payload = write.payload;
        stored.payload["revision"] = stored.revision;
        stored.payload["serverModifiedAt"] = stored.changedAt;

        SqliteConnection& connection = database_->connection;
        connection
            .prepare(
                "INSERT INTO change_log (organization_id, entity_type, entity_id, operation, revision, "
                "changed_at, device_id, idempotency_key) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
            .bind(1, stored.organizationId)
            .bind(2, stored.entityType)
            .bind(3, stored.id)
            .bind(4, operation)
            .bind(5, stored.revision)
            .bind(6, stored.changedAt)
            .bind(7, write.deviceId)
            .bind(8, write.idempotencyKey)
            .step();
        stored.sequence = connection.lastInsertRowid();
        connection
            .prepare(
                "INSERT INTO record (organization_id, entity_type, id, revision, deleted, last_sequence, "
                "changed_at, payload) VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
                "ON CONFLICT (organization_id, entity_type, id) DO UPDATE SET revision = excluded.revision, "
                "deleted = excluded.deleted, last_sequence = excluded.last_sequence, "
                "changed_at = excluded.changed_at, payload = excluded.payload")
            .bind(1, stored.organizationId)
            .bind(2, stored.entityType)
            .bind(3, stored.id)
            .bind(4, stored.revision)
            .bind(5, std::int64_t{deleted ? 1 : 0})
            .bind(6, stored.sequence)
            .bind(7, stored.changedAt)
            .bind(8, stored.payload.dump())
            .step();
    });
    return stored;
}

std::optional<StoredRecord> Storage::record(const std::string& organizationId, const std::string& entityType,
                                            const std::string& id) const {
    std::lock_guard lock(mutex_);
    SqliteStatement row = database_->connection.prepare(
        std::string("SELECT ") + kRecordColumns +
        " FROM record WHERE organization_id = ? AND entity_type = ? AND id = ?");
    row.bind(1, organizationId).bind(2, entityType).bind(3, id);
    if (!row.step()) return std::nullopt;
    return readRecord(row);
}

std::vector<StoredRecord> Storage::recordsWith(const std::string& organizationId,
                                               const std::string& entityType, const std::string& key,
                                               const std::string& value) const {
    std::lock_guard lock(mutex_);
    SqliteStatement rows =
        database_->connection.prepare(std::string("SELECT ") + kRecordColumns +
                                      " FROM record WHERE organization_id = ? AND entity_type = ? AND "
                                      "deleted = 0 AND json_extract(payload, ?) = ? "
                                      "ORDER BY last_sequence");
    rows.bind(1, organizationId).bind(2, entityType).bind(3, "$." + key).bind(4, value);
    std::vector<StoredRecord> result;
    while (rows.step())
        result.push_back(readRecord(rows));
    return result;
}

std::vector<StoredRecord> Storage::records(const std::string& organizationId,
                                           const std::optional<std::string>& entityType) const {
    std::lock_guard lock(mutex_);
    SqliteStatement rows = database_->connection.prepare(std::string("SELECT ") + kRecordColumns +
                                                         " FROM record WHERE organization_id = ?1 AND (?2 IS "
                                                         "NULL OR entity_type = ?2) ORDER BY last_sequence");
    rows.bind(1, organizationId).bind(2, entityType);
    std::vector<StoredRecord> result;
    while (rows.step())
        result.push_back(readRecord(rows));
    return result;
}

std::vector<PulledRecord> Storage::changesAfter(const std::string& organizationId, std::int64_t afterSequence,
                                                int limit,
                                                const std::vector<std::string>& entityTypes) const {
    std::lock_guard lock(mutex_);
    nlohmann::json types = entityTypes;
    SqliteStatement rows = database_->connection.prepare(
        "SELECT r.entity_type, r.id, c.operation, r.revision, r.last_sequence, r.changed_at, r.payload "
        "FROM record r JOIN change_log c ON c.sequence = r.last_sequence "
        "WHERE r.organization_id = ?1 AND r.last_sequence > ?2 "
        "AND (?3 IS NULL OR r.entity_type IN (SELECT value FROM json_each(?3))) "
        "ORDER BY r.last_sequence LIMIT ?4");
    rows.bind(1, organizationId)
        .bind(2, afterSequence)
        .bind(3, entityTypes.empty() ? std::optional<std::string>() : std::optional(types.dump()))
        .bind(4, std::int64_t{limit});
    std::vector<PulledRecord> result;
    result.reserve(static_cast<std::size_t>(std::max(limit, 0)));
    while (rows.step()) {
        result.push_back({rows.text(0), rows.text(1), rows.text(2), rows.integer(3), rows.integer(4),
                          rows.text(5), rows.text(6)});
    }
    return result;
}

void Storage::putFile(const std::string& organizationId, const StoredFile& file, TimePoint createdAt) {
    std::lock_guard lock(mutex_);
    database_->connection
        .prepare(
            "INSERT OR REPLACE INTO stored_file (organization_id, key, file_name, content_type, bytes, "
            "created_at) "
            "VALUES (?, ?, ?, ?, ?, ?)")
        .bind(1, organizationId)
        .bind(2, file.key)
        .bind(3, file.fileName)
        .bind(4, file.contentType)
        .bindBlob(5, file.bytes)
        .bind(6, formatTimestampMillis(createdAt))
        .step();
}

std::optional<StoredFile> Storage::file(const std::string& organizationId, const std::string& key) const {
    std::lock_guard lock(mutex_);
    SqliteStatement row = database_->connection.prepare(
        "SELECT file_name, content_type, bytes FROM stored_file WHERE organization_id = ? AND key = ?");
    row.bind(1, organizationId).bind(2, key);
    if (!row.step()) return std::nullopt;
    return StoredFile{key, row.text(0), row.text(1), row.blob(2)};
}

std::optional<PushReceipt> Storage::pushReceipt(const std::string& organizationId,
                                                const std::string& idempotencyKey) const {
    std::lock_guard lock(mutex_);
    SqliteStatement row = database_->connection.prepare(
        "SELECT list, item FROM push_receipt WHERE organization_id = ? AND idempotency_key = ?");
    row.bind(1, organizationId).bind(2, idempotencyKey);
    if (!row.step()) return std::nullopt;
    return PushReceipt{row.text(0), nlohmann::ordered_json::parse(row.text(1))};
}

void Storage::savePushReceipt(const std::string& organizationId, const std::string& idempotencyKey,
                              const PushReceipt& receipt) {
    std::lock_guard lock(mutex_);
    database_->connection
        .prepare(
            "INSERT INTO push_receipt (organization_id, idempotency_key, list, item) VALUES (?, ?, ?, ?)")
        .bind(1, organizationId)
        .bind(2, idempotencyKey)
        .bind(3, receipt.list)
        .bind(4, receipt.item.dump())
        .step();
}

std::int64_t Storage::lastSequence() const {
    std::lock_guard lock(mutex_);
    // sqlite_sequence remembers the highest sequence ever handed out, even past deleted log rows.
    SqliteStatement row =
        database_->connection.prepare("SELECT seq FROM sqlite_sequence WHERE name = 'change_log'");
    return row.step() ? row.integer(0) : 0;
}

}  // namespace zelvorin::service
