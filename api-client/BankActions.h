#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// POST api/native/v1/bank/transactions/<id>/categorize {"category", "createRule"?,
// "counterpartyPattern"?}, "action" mapping; the answer is not read.
void categorize(SyncAPIClient& client, const std::string& transactionId, const std::string& category,
                bool createRule = false,
                const std::optional<std::string>& counterpartyPattern = std::nullopt);
// POST api/native/v1/bank/match-search {"query", "direction"?}, "fetch" mapping: its "results".
std::vector<BankInvoiceSearchResult> searchInvoices(
    SyncAPIClient& client, const std::string& query,
    const std::optional<std::string>& direction = std::nullopt);
// PATCH api/native/v1/bank/accounts/<id> {"name"?, "type"?}, "action" mapping; the answer is not read.
void updateAccount(SyncAPIClient& client, const std::string& accountId,
                   const std::optional<std::string>& name, const std::optional<std::string>& type);

// GET api/native/v1/bank/rules, "fetch" mapping.
BankRulesResponse rules(SyncAPIClient& client);
// POST api/native/v1/bank/rules {"counterpartyPattern"}, "action" mapping; the answer is not read.
void addRule(SyncAPIClient& client, const std::string& counterpartyPattern);
// DELETE api/native/v1/bank/rules/<id>, "action" mapping.
void deleteRule(SyncAPIClient& client, const std::string& ruleId);
// POST api/native/v1/bank/rules/activate {"pattern"}, "action" mapping: the transactions affected.
std::int64_t activateRule(SyncAPIClient& client, const std::string& pattern);

}  // namespace zelvorin::bank
