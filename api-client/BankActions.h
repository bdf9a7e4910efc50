#pragma once

#include <optional>
#include <string>

#include "api-client/BankRecords.h"
#include "api-client/SyncAPIClient.h"

// The calls of the bank family that go straight to the service. The statement upload is with the
// other uploads (FileTransfers.h).
namespace zelvorin::bank {

// POST api/native/v1/bank/sync-now, "action" mapping: what the bank feed brought in.
BankSyncResult syncNow(SyncAPIClient& client);

// GET api/native/v1/bank/transactions/<id>/suggestion, "fetch" mapping.
BankMatchSuggestion suggestion(SyncAPIClient& client, const std::string& transactionId);
// POST api/native/v1/bank/transactions/<id>/match {"invoiceId", "invoiceType"?}, "action" mapping;
// the answer is not read.
void match(SyncAPIClient& client, const std::string& transactionId, const std::string& invoiceId,
           const std::optional<std::string>& invoiceType = std::nullopt);
// POST api/native/v1/bank/transactions/<id>/unmatch, "action" mapping; the answer is not read.
void unmatch(SyncAPIClient& client, const std::string& transactionId);

}  // namespace zelvorin::bank
