#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "service/store/Records.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// The organisation's invoices that can still take a payment, by their number, with what is still
// open on each. Built from one read of the invoices, the payments and the credit notes, so a
// statement of thousands of lines is matched against thousands of invoices without a query per
// line.
class OpenInvoiceIndex {
public:
    struct OpenInvoice {
        StoredRecord record;
        std::int64_t openCents = 0;
    };

    static OpenInvoiceIndex load(Connection& db, const std::string& organizationId);

    // The one open invoice whose number appears as a word of `remittance` (case does not matter;
    // punctuation around the number neither); nothing when none or several do.
    OpenInvoice* findIn(std::string_view remittance);
    // After a payment: what is open now; an invoice with nothing open leaves the index.
    void settle(const std::string& number, std::int64_t paidCents, StoredRecord written);

    std::size_t size() const { return byNumber_.size(); }
    // Every open invoice, by upper-cased number.
    const std::unordered_map<std::string, OpenInvoice>& all() const { return byNumber_; }

    // The words of a remittance text that could be an invoice number, upper-cased.
    static std::vector<std::string> candidateNumbers(std::string_view remittance);

private:
    std::unordered_map<std::string, OpenInvoice> byNumber_;  // upper-cased number
};

}  // namespace zelvorin::service
