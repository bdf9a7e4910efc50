#include "screens/BankReview.h"

namespace zelvorin::BankReview {

const std::vector<BankIgnoreRuleMatching::CategoryOption>& categoryOptions() {
    static const std::vector<BankIgnoreRuleMatching::CategoryOption> options{
        {"Huisvesting", "huisvesting", false},
        {"Kantoor", "kantoor", false},
        {"Opleiding", "opleiding", false},
        {"Reiskosten", "reiskosten", false},
        {"Software", "software", false},
        {"Telefoon en internet", "telefoon_internet", false},
        {"Overige zakelijke kosten", "zakelijk", false},
        {"Privé", "prive", false},
        {"Eigen rekening (overboeking)", std::string(BankIgnoreRuleMatching::kInternalTransferCategory),
         true},
        {"Belastingen", "belastingen", false},
        {"Omzet", "omzet", false},
        {"Negeren", "genegeerd", false},
    };
    return options;
}

Offer offerFor(const BankTransactionRecord& transaction) {
    const bool linked = transaction.matchedInvoiceId || transaction.matchedIncomingInvoiceId;
    return {transaction.direction == "in" && !linked, transaction.matchedInvoiceId.has_value(), !linked};
}

std::string stateText(const BankTransactionRecord& transaction) {
    if (transaction.matchedInvoiceId || transaction.matchedIncomingInvoiceId)
        return "Gekoppeld aan een factuur.";
    if (transaction.category && !transaction.category->empty()) {
        const auto label = BankIgnoreRuleMatching::categoryLabel(*transaction.category, categoryOptions());
        return "Categorie: " + label.value_or(*transaction.category);
    }
    return "Nog niet beoordeeld.";
}

std::string suggestionText(const bank::BankMatchSuggestion& suggestion, const std::string& invoiceLabel) {
    if (!suggestion.invoiceId && !suggestion.incomingInvoiceId)
        return "Geen voorstel: " + suggestion.matchReason;
    return "Voorstel: " + invoiceLabel + (suggestion.isPartial ? " (deelbetaling)" : "") + " — " +
           suggestion.matchReason;
}

}  // namespace zelvorin::BankReview
