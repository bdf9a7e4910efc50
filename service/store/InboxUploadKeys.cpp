#include "service/store/InboxUploadKeys.h"

#include <nlohmann/json.hpp>

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::inboxuploadkeys {

std::optional<std::vector<std::string>> find(Connection& db, const std::string& organizationId,
                                             const std::string& key) {
    Statement& row =
        db.cached("SELECT item_ids FROM inbox_upload_key WHERE organization_id = ? AND idempotency_key = ?");
    row.bindAll(organizationId, key);
    if (!row.step()) return std::nullopt;
    const std::string ids = row.text(0);
    row.reset();
    return nlohmann::json::parse(ids).get<std::vector<std::string>>();
}

void put(Connection& db, const std::string& organizationId, const std::string& key,
         const std::vector<std::string>& itemIds) {
    db.cached("INSERT INTO inbox_upload_key (organization_id, idempotency_key, item_ids) VALUES (?, ?, ?)")
        .bindAll(organizationId, key, nlohmann::json(itemIds).dump())
        .run();
}

}  // namespace zelvorin::service::inboxuploadkeys
