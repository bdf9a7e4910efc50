#include "service/store/StoredFiles.h"

#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::storedfiles {

void put(Connection& db, const std::string& organizationId, const StoredFile& file, TimePoint createdAt) {
    Statement& insert = db.cached(
        "INSERT OR REPLACE INTO stored_file (organization_id, key, file_name, content_type, bytes, "
        "created_at) "
        "VALUES (?, ?, ?, ?, ?, ?)");
    insert.bindAll(organizationId, file.key, file.fileName, file.contentType)
        .bindBlob(5, file.bytes)
        .bind(6, formatTimestampMillis(createdAt))
        .run();
}

std::optional<StoredFile> find(Connection& db, const std::string& organizationId, const std::string& key) {
    Statement& row = db.cached(
        "SELECT file_name, content_type, bytes FROM stored_file WHERE organization_id = ? AND key = ?");
    row.bindAll(organizationId, key);
    if (!row.step()) return std::nullopt;
    return StoredFile{key, row.text(0), row.text(1), row.blob(2)};
}

bool remove(Connection& db, const std::string& organizationId, const std::string& key) {
    db.cached("DELETE FROM stored_file WHERE organization_id = ? AND key = ?")
        .bindAll(organizationId, key)
        .run();
    return db.changes() > 0;
}

}  // namespace zelvorin::service::storedfiles
