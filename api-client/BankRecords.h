#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// What the service computes about bank transactions, with the service's keys. Amounts are euro
// cents; dates are the service's text. Each decodes with ResponseFields, so a missing or mistyped
// key is an invalid response.
namespace zelvorin::bank {

// Points at an outgoing invoice (invoiceId) or an incoming one (incomingInvoiceId); isPartial
// marks a payment that covers part of the invoice.
struct BankMatchSuggestion {
    std::optional<std::string> invoiceId;
    std::optional<std::string> incomingInvoiceId;
    std::optional<std::string> confidence;
    std::string matchReason;
    bool isPartial = false;
    static BankMatchSuggestion fromJson(const nlohmann::json& body);
};

struct BankInvoiceSearchResult {
    std::string id;
    std::string invoiceNumber;
    std::optional<std::string> customerName;
    std::int64_t totalCents = 0;
    std::string type;
    static BankInvoiceSearchResult fromJson(const nlohmann::json& body);
};

struct BankSyncResult {
    std::int64_t imported = 0;
    std::int64_t skipped = 0;
    static BankSyncResult fromJson(const nlohmann::json& body);
};

struct BankImportResult {
    std::int64_t imported = 0;
    std::int64_t skipped = 0;
    static BankImportResult fromJson(const nlohmann::json& body);
};

struct BankIgnoreRule {
    std::string id;
    std::string counterpartyPattern;
    std::optional<std::string> counterpartyIban;
    bool isInternalTransfer = false;
    std::int64_t matchCount = 0;
    std::string createdAt;
    static BankIgnoreRule fromJson(const nlohmann::json& body);
};

struct BankSmartRuleSuggestion {
    std::string type;
    std::string label;
    std::string description;
    std::string pattern;
    std::int64_t transactionCount = 0;
    bool enabled = false;
    static BankSmartRuleSuggestion fromJson(const nlohmann::json& body);
};

struct BankRulesResponse {
    std::vector<BankIgnoreRule> rules;
    std::vector<BankSmartRuleSuggestion> suggestions;
    static BankRulesResponse fromJson(const nlohmann::json& body);
};

}  // namespace zelvorin::bank
