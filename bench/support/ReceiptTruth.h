#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "intelligence/ExtractedInvoiceData.h"

namespace zelvorin::bench {

// One real document and what a right reading of it gives.
struct TruthDocument {
    std::filesystem::path file;
    std::string merchant;  // the sender's name as it reads, in lower case
    std::string date;      // DD-MM-YYYY
    std::int64_t totalCents = 0;
    std::optional<std::vector<ExtractedInvoiceData::VatItem>> vat;  // when the truth covers it
};

// The documents of a folder with a `truth.csv`:
//   file,merchant,date,items,total_cents
// plus, from `vatTruth` when given, the VAT breakdown of some of them, one line each:
//   file,rate:euros rate:euros ...        (an empty list for a document without VAT)
// Throws std::runtime_error naming the line it cannot read.
std::vector<TruthDocument> readTruthFolder(const std::filesystem::path& folder,
                                           const std::optional<std::filesystem::path>& vatTruth);

// The sender read names the merchant: the merchant's letters and digits are part of the sender's
// (case, accents, spaces and punctuation aside), so "Aldi GmbH & Co. KG" and "A L D I" both name
// "aldi".
bool namesMerchant(const std::optional<std::string>& sender, const std::string& merchant);

}  // namespace zelvorin::bench
