#pragma once

#include <optional>
#include <string>
#include <vector>

#include "api-client/BankRecords.h"
#include "domain/BankIgnoreRuleMatching.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

// What the Bank section offers for the transaction a person selects, and how it words it: money
// coming in is linked to the invoice it pays (the service's suggestion first), a link can be undone,
// and any transaction not linked can get a category, with a rule for its counterparty if asked.
namespace BankReview {

// The categories offered, in this order; the internal transfer by its reserved value.
const std::vector<BankIgnoreRuleMatching::CategoryOption>& categoryOptions();

struct Offer {
    bool link = false;        // incoming and not linked: ask for a suggestion, link to it
    bool unlink = false;      // linked to an invoice
    bool categorise = false;  // not linked
};
Offer offerFor(const BankTransactionRecord& transaction);

// "Gekoppeld aan een factuur.", "Categorie: Zakelijk", or "Nog niet beoordeeld." for the row.
std::string stateText(const BankTransactionRecord& transaction);
// The suggestion as one line: "Voorstel: <invoice label> — <reason>" (with "deelbetaling" for a
// part), or "Geen voorstel: <reason>". `invoiceLabel` names the invoice the suggestion points at.
std::string suggestionText(const bank::BankMatchSuggestion& suggestion, const std::string& invoiceLabel);

}  // namespace BankReview
}  // namespace zelvorin
