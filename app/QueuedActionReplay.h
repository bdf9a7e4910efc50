#pragma once

#include "api-client/SyncAPIClient.h"
#include "domain/Clock.h"
#include "persistence/repositories/ActionQueueRepository.h"

namespace zelvorin {

// Replays the invoice actions queued while offline, oldest first, before a reconnect cycle:
//   markPaid  POST mark-paid with the queued paidAt (now when none was given).
// An action the service carried out leaves the queue; so does one it answered for good (409: the
// invoice is paid or can no longer be paid, 404: it is gone), since repeating it cannot change the
// answer. Any other refusal is kept with its attempt counted. A call that finds no connection
// counts its attempt and ends the replay: the next reconnect tries again.
void replayQueuedActions(ActionQueueRepository& queue, SyncAPIClient& client, const Clock& clock);

}  // namespace zelvorin
