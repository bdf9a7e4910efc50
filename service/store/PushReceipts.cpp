#include "service/store/PushReceipts.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::pushreceipts {

std::optional<PushReceipt> find(Connection& db, const std::string& organizationId,
                                const std::string& idempotencyKey) {
    Statement& row =
        db.cached("SELECT list, item FROM push_receipt WHERE organization_id = ? AND idempotency_key = ?");
    row.bindAll(organizationId, idempotencyKey);
    if (!row.step()) return std::nullopt;
    return PushReceipt{row.text(0), nlohmann::ordered_json::parse(row.text(1))};
}

void save(Connection& db, const std::string& organizationId, const std::string& idempotencyKey,
          const PushReceipt& receipt) {
    db.cached("INSERT INTO push_receipt (organization_id, idempotency_key, list, item) VALUES (?, ?, ?, ?)")
        .bindAll(organizationId, idempotencyKey, receipt.list, receipt.item.dump())
        .run();
}

}  // namespace zelvorin::service::pushreceipts
