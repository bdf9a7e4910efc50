#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "domain/Clock.h"
#include "persistence/AppDatabase.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

// Invoice actions that wait for a server call (marking an invoice paid while offline). A plain
// first-in-first-out queue by created_at; its rows never reach the sync engine.
//
//   enqueued ──call succeeded──► completeAction (row deleted)
//      │ call failed
//      └──► recordActionFailure: attempts + 1, last_error kept, stays queued (no limit here)
class ActionQueueRepository {
public:
    ActionQueueRepository(AppDatabase database, std::shared_ptr<const Clock> clock);

    // A new markPaid row with payload {"paidAt": …} when a date is given, else {}. Throws
    // PersistenceError invalidInput (and stores nothing) for an empty invoice id or a paid-at text that is
    // neither a calendar date nor a timestamp.
    PendingAction enqueueMarkPaid(const std::string& invoiceId, const std::optional<std::string>& paidAt);

    bool hasPendingAction(const std::string& invoiceId, PendingAction::Kind kind);
    std::vector<std::string> pendingInvoiceIds(PendingAction::Kind kind);
    std::vector<PendingAction> allPendingActions();  // oldest first

    // Both return false when no row has that id.
    bool completeAction(const std::string& id);
    bool recordActionFailure(const std::string& id, const std::string& message);

private:
    AppDatabase database_;
    std::shared_ptr<const Clock> clock_;
};

}  // namespace zelvorin
