#include "app/QueuedActionReplay.h"

#include <nlohmann/json.hpp>

#include "api-client/InvoiceActions.h"
#include "domain/Timestamps.h"

namespace zelvorin {
namespace {

std::string paidAtOf(const PendingAction& action, const Clock& clock) {
    const nlohmann::json payload = nlohmann::json::parse(action.payload, nullptr, false);
    if (payload.is_object() && payload.contains("paidAt") && payload["paidAt"].is_string())
        return payload["paidAt"].get<std::string>();
    return formatTimestampMillis(clock.now());
}

}  // namespace

void replayQueuedActions(ActionQueueRepository& queue, SyncAPIClient& client, const Clock& clock) {
    for (const PendingAction& action : queue.allPendingActions()) {
        if (action.kind != PendingAction::Kind::markPaid) continue;
        try {
            invoiceactions::markPaid(client, action.invoiceId, paidAtOf(action, clock));
            queue.completeAction(action.id);
        } catch (const TransportError& error) {
            queue.recordActionFailure(action.id, error.what());
            return;
        } catch (const APIError& error) {
            if (error.is<APIError::Conflict>() || error.is<APIError::NotFound>()) {
                queue.completeAction(action.id);
            } else {
                queue.recordActionFailure(action.id,
                                          error.userMessage("Betaling registreren is niet gelukt."));
            }
        }
    }
}

}  // namespace zelvorin
