#include "persistence/repositories/ActionQueueRepository.h"

#include <stdexcept>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/PersistenceError.h"
#include "persistence/RecordStatements.h"
#include "persistence/ScalarStatements.h"
#include "sync/JSONValue.h"

namespace zelvorin {

ActionQueueRepository::ActionQueueRepository(AppDatabase database, std::shared_ptr<const Clock> clock)
    : database_(std::move(database)), clock_(std::move(clock)) {}

PendingAction ActionQueueRepository::enqueueMarkPaid(const std::string& invoiceId,
                                                     const std::optional<std::string>& paidAt) {
    if (invoiceId.empty())
        throw PersistenceError::invalidInput("Geen factuur opgegeven om als betaald te markeren.");
    if (paidAt && !parseCalendarDate(*paidAt) && !parseTimestamp(*paidAt))
        throw PersistenceError::invalidInput("Ongeldige betaaldatum: '" + *paidAt + "'.");
    PendingAction action;
    action.id = randomUuid();
    action.kind = PendingAction::Kind::markPaid;
    action.invoiceId = invoiceId;
    action.payload = paidAt ? JSONValue::object({{"paidAt", JSONValue(*paidAt)}}).dump() : "{}";
    action.attempts = 0;
    action.createdAt = formatTimestampMillis(clock_->now());
    database_.writer->write([&](Connection& db) { insertRecord(db, action); });
    return action;
}

bool ActionQueueRepository::hasPendingAction(const std::string& invoiceId, PendingAction::Kind kind) {
    return database_.writer->read([&](Connection& db) {
        return countRows(db, "SELECT COUNT(*) FROM pending_action WHERE invoice_id = ? AND kind = ?",
                         invoiceId, PendingAction::rawValue(kind)) > 0;
    });
}

std::vector<std::string> ActionQueueRepository::pendingInvoiceIds(PendingAction::Kind kind) {
    return database_.writer->read([&](Connection& db) {
        Statement& select = db.cached("SELECT invoice_id FROM pending_action WHERE kind = ?");
        select.bindAll(PendingAction::rawValue(kind));
        std::vector<std::string> ids;
        while (select.step())
            ids.push_back(select.text(0));
        return ids;
    });
}

std::vector<PendingAction> ActionQueueRepository::allPendingActions() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<PendingAction>(db, "SELECT * FROM pending_action ORDER BY created_at");
    });
}

bool ActionQueueRepository::completeAction(const std::string& id) {
    return database_.writer->write(
        [&](Connection& db) { return changeRows(db, "DELETE FROM pending_action WHERE id = ?", id) > 0; });
}

bool ActionQueueRepository::recordActionFailure(const std::string& id, const std::string& message) {
    return database_.writer->write([&](Connection& db) {
        return changeRows(db,
                          "UPDATE pending_action\nSET attempts = attempts + 1, last_error = ?\nWHERE id = ?",
                          message, id) > 0;
    });
}

}  // namespace zelvorin
