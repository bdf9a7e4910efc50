#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelvorin::service {

// One booked movement on a statement, whatever format it came in.
struct StatementEntry {
    std::string bookingDate;       // "yyyy-MM-dd"
    std::int64_t amountCents = 0;  // negative for money going out
    std::string currency = "EUR";
    std::optional<std::string> entryReference;  // the bank's own reference; unique per account
    std::string counterpartyName;
    std::string counterpartyIban;
    std::string description;  // the remittance text, as the payer wrote it
};

// What a statement file holds: the account it belongs to (empty when the file does not say) and
// its entries in the file's order.
struct ParsedStatement {
    std::string format;  // "camt053", "mt940", "csv"
    std::string accountIban;
    std::vector<StatementEntry> entries;
};

}  // namespace zelvorin::service
