#include "service/StorageSchema.h"

#include <array>

#include "service/SqliteConnection.h"

namespace zelvorin::service {

namespace {

struct Migration {
    std::string_view identifier;
    std::string_view sql;
};

// Accounts, the per-organisation record store and the change log that pulls read from.
constexpr std::string_view kFoundation = R"sql(
CREATE TABLE organization (
  id TEXT PRIMARY KEY NOT NULL,
  name TEXT NOT NULL,
  created_at TEXT NOT NULL
);
CREATE TABLE user_account (
  id TEXT PRIMARY KEY NOT NULL,
  email TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL,
  created_at TEXT NOT NULL
);
CREATE TABLE membership (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  user_id TEXT NOT NULL REFERENCES user_account(id),
  role TEXT NOT NULL CHECK (role IN ('owner', 'admin', 'member')),
  created_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, user_id)
);
CREATE INDEX idx_membership_user ON membership(user_id);
CREATE TABLE change_log (
  sequence INTEGER PRIMARY KEY AUTOINCREMENT,
  organization_id TEXT NOT NULL REFERENCES organization(id),
  entity_type TEXT NOT NULL,
  entity_id TEXT NOT NULL,
  operation TEXT NOT NULL CHECK (operation IN ('create', 'update', 'delete')),
  revision INTEGER NOT NULL,
  changed_at TEXT NOT NULL,
  device_id TEXT,
  idempotency_key TEXT
);
CREATE INDEX idx_change_log_org_sequence ON change_log(organization_id, sequence);
CREATE UNIQUE INDEX idx_change_log_idempotency ON change_log(organization_id, idempotency_key)
  WHERE idempotency_key IS NOT NULL;
CREATE TABLE record (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  entity_type TEXT NOT NULL,
  id TEXT NOT NULL,
  revision INTEGER NOT NULL,
  payload TEXT NOT NULL,
  deleted INTEGER NOT NULL DEFAULT 0,
  last_sequence INTEGER NOT NULL REFERENCES change_log(sequence),
  changed_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, entity_type, id)
);
CREATE INDEX idx_record_org_sequence ON record(organization_id, last_sequence);
)sql";

// The first answer to each pushed change, so that a retried push is answered without applying twice.
constexpr std::string_view kPushReceipts = R"sql(
CREATE TABLE push_receipt (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  idempotency_key TEXT NOT NULL,
  list TEXT NOT NULL CHECK (list IN ('accepted', 'conflicts', 'errors')),
  item TEXT NOT NULL,
  PRIMARY KEY (organization_id, idempotency_key)
);
)sql";

// Files the devices uploaded (inbox documents), served back by key.
constexpr std::string_view kStoredFiles = R"sql(
CREATE TABLE stored_file (
  organization_id TEXT NOT NULL REFERENCES organization(id),
  key TEXT NOT NULL,
  file_name TEXT NOT NULL,
  content_type TEXT NOT NULL,
  bytes BLOB NOT NULL,
  created_at TEXT NOT NULL,
  PRIMARY KEY (organization_id, key)
);
)sql";

constexpr std::array<Migration, 3> kMigrations{{{"v1_service_foundation", kFoundation},
                                                {"v2_push_receipts", kPushReceipts},
                                                {"v3_stored_files", kStoredFiles}}};

bool isApplied(const SqliteConnection& connection, std::string_view identifier) {
    SqliteStatement query = connection.prepare("SELECT 1 FROM service_migrations WHERE identifier = ?");
    query.bind(1, identifier);
    return query.step();
}

}  // namespace

void migrateStorage(SqliteConnection& connection) {
    connection.exec("CREATE TABLE IF NOT EXISTS service_migrations (identifier TEXT PRIMARY KEY NOT NULL)");
    for (const Migration& migration : kMigrations) {
        if (isApplied(connection, migration.identifier)) continue;
        connection.exec("BEGIN IMMEDIATE");
        try {
            connection.exec(migration.sql);
            connection.prepare("INSERT INTO service_migrations (identifier) VALUES (?)")
                .bind(1, migration.identifier)
                .step();
            connection.exec("COMMIT");
        } catch (...) {
            connection.exec("ROLLBACK");
            throw;
        }
    }
}

}  // namespace zelvorin::service
