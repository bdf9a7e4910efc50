#pragma once

#include "api-client/BankRecords.h"
#include "api-client/SyncAPIClient.h"

// The calls of the bank family that go straight to the service. The statement upload is with the
// other uploads (FileTransfers.h).
namespace zelvorin::bank {

// POST api/native/v1/bank/sync-now, "action" mapping: what the bank feed brought in.
BankSyncResult syncNow(SyncAPIClient& client);

}  // namespace zelvorin::bank
