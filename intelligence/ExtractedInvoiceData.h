#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zelvorin {

// Where `totalAmountCents` came from; read only by the confidence rule, never serialised.
enum class TotalAmountSource { extracted, derivedFromLines };

// The fields read from one receipt or incoming invoice. Amounts of lines and VAT items stay decimal
// euros as the reader gave them; only the total is in cents.
struct ExtractedInvoiceData {
    struct LineItem {
        std::string description;
        std::optional<double> quantity;
        std::optional<double> unitPrice;
        double amount = 0;  // the line total
        bool operator==(const LineItem&) const = default;
    };
    struct VatItem {
        double rate = 0;    // percent
        double amount = 0;  // the VAT itself
        bool operator==(const VatItem&) const = default;
    };

    bool isInvoice = false;
    std::optional<std::string> senderCompany;
    std::optional<std::string> senderAddress;
    std::optional<std::string> senderCountry;
    std::optional<std::string> senderVatNumber;
    std::optional<std::string> senderKvkNumber;
    std::optional<std::int64_t> totalAmountCents;
    std::string currency = "EUR";
    std::optional<std::string> invoiceDate;  // expected DD-MM-YYYY, kept as read
    std::optional<std::string> invoiceNumber;
    std::vector<LineItem> lines;
    std::vector<VatItem> vatBreakdown;

    TotalAmountSource _totalSource = TotalAmountSource::extracted;

    bool operator==(const ExtractedInvoiceData&) const = default;
};

// Absent optionals are left out; `lines` and `vatBreakdown` are always written, empty or not.
nlohmann::ordered_json toJson(const ExtractedInvoiceData& data);
// Reads the form written by toJson; missing optionals stay absent, a missing currency is "EUR".
// Throws nlohmann::json::exception on a malformed object.
ExtractedInvoiceData extractedInvoiceDataFromJson(const nlohmann::json& json);

}  // namespace zelvorin
