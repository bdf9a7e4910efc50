#pragma once

#include <optional>
#include <string>
#include <vector>

#include "intelligence/ExtractedInvoiceData.h"

namespace zelvorin {

// The three answers a structurer gives for one text, shaped as the model is asked to fill them.
// Amounts are decimal euros here; the merge turns the total into cents.
struct GenerableInvoiceBase {
    bool isInvoice = false;
    std::optional<std::string> senderCompany;
    std::optional<std::string> senderAddress;
    std::optional<std::string> senderCountry;
    std::optional<std::string> senderVatNumber;
    std::optional<std::string> senderKvkNumber;
    std::optional<double> totalAmount;
    std::string currency;
    std::optional<std::string> invoiceDate;
    std::optional<std::string> invoiceNumber;
};

struct GenerableLineItem {
    std::string description;
    std::optional<double> quantity;
    std::optional<double> unitPrice;
    double amount = 0;
};

struct GenerableVatItem {
    double rate = 0;
    double amount = 0;
};

struct GenerableInvoiceLines {
    static constexpr std::size_t maxLines = 50;
    static constexpr std::size_t maxVatItems = 5;
    std::vector<GenerableLineItem> lines;
    std::vector<GenerableVatItem> vatBreakdown;
};

struct GenerableInvoiceTotal {
    std::optional<double> totalAmount;
};

// Euros to cents, halves away from zero; nothing for amounts that are not finite or do not fit.
std::optional<std::int64_t> eurosToCents(double euros);

// Combines the answers: the total answer wins over the base total, which wins over the sum of the
// lines. Non-finite amounts count as absent; lines and VAT items with one are dropped.
ExtractedInvoiceData mergeAnswers(const GenerableInvoiceBase& base, const GenerableInvoiceLines& lines,
                                  const std::optional<GenerableInvoiceTotal>& total);

}  // namespace zelvorin
