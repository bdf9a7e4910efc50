#include "api-client/BankRecords.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::bank {

using Json = nlohmann::json;
namespace fields = responsefields;

BankMatchSuggestion BankMatchSuggestion::fromJson(const Json& body) {
    return {fields::optionalText(body, "invoiceId"), fields::optionalText(body, "incomingInvoiceId"),
            fields::optionalText(body, "confidence"), fields::text(body, "matchReason"),
            fields::flag(body, "isPartial")};
}

BankInvoiceSearchResult BankInvoiceSearchResult::fromJson(const Json& body) {
    return {fields::text(body, "id"), fields::text(body, "invoiceNumber"),
            fields::optionalText(body, "customerName"), fields::integer(body, "totalCents"),
            fields::text(body, "type")};
}

BankSyncResult BankSyncResult::fromJson(const Json& body) {
    return {fields::integer(body, "imported"), fields::integer(body, "skipped")};
}

BankImportResult BankImportResult::fromJson(const Json& body) {
    return {fields::integer(body, "imported"), fields::integer(body, "skipped")};
}

BankIgnoreRule BankIgnoreRule::fromJson(const Json& body) {
    return {fields::text(body, "id"),
            fields::text(body, "counterpartyPattern"),
            fields::optionalText(body, "counterpartyIban"),
            fields::flag(body, "isInternalTransfer"),
            fields::integer(body, "matchCount"),
            fields::text(body, "createdAt")};
}

BankSmartRuleSuggestion BankSmartRuleSuggestion::fromJson(const Json& body) {
    return {fields::text(body, "type"),
            fields::text(body, "label"),
            fields::text(body, "description"),
            fields::text(body, "pattern"),
            fields::integer(body, "transactionCount"),
            fields::flag(body, "enabled")};
}

BankRulesResponse BankRulesResponse::fromJson(const Json& body) {
    BankRulesResponse response;
    for (const Json& rule : fields::array(body, "rules"))
        response.rules.push_back(BankIgnoreRule::fromJson(rule));
    for (const Json& suggestion : fields::array(body, "suggestions"))
        response.suggestions.push_back(BankSmartRuleSuggestion::fromJson(suggestion));
    return response;
}

}  // namespace zelvorin::bank
