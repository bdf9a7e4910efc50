#include "service/bank/OpenInvoiceIndex.h"

#include <cctype>

#include "domain/InvoiceStatus.h"
#include "service/invoices/InvoicePaymentActions.h"
#include "service/invoices/InvoiceRecords.h"

namespace zelvorin::service {

namespace {

using invoicerecords::integer;
using invoicerecords::text;

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool isWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '/' || c == '.' || c == '_';
}

}  // namespace

std::vector<std::string> OpenInvoiceIndex::candidateNumbers(std::string_view remittance) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < remittance.size()) {
        while (at < remittance.size() && !isWordCharacter(remittance[at]))
            ++at;
        std::size_t end = at;
        while (end < remittance.size() && isWordCharacter(remittance[end]))
            ++end;
        std::string_view word = remittance.substr(at, end - at);
        // A number at the end of a sentence keeps no full stop; "FAC-1." is "FAC-1".
        while (!word.empty() && !std::isalnum(static_cast<unsigned char>(word.back())))
            word.remove_suffix(1);
        while (!word.empty() && !std::isalnum(static_cast<unsigned char>(word.front())))
            word.remove_prefix(1);
        if (!word.empty()) words.push_back(upper(word));
        at = end;
    }
    return words;
}

OpenInvoiceIndex OpenInvoiceIndex::load(Connection& db, const std::string& organizationId) {
    std::unordered_map<std::string, std::int64_t> paid;
    for (const StoredRecord& payment : records::all(db, organizationId, std::string("invoicePayment")))
        if (!payment.deleted)
            paid[text(payment.payload, "invoiceId").value_or("")] += integer(payment.payload, "amountCents");

    std::vector<StoredRecord> invoices = records::all(db, organizationId, std::string("draftInvoice"));
    // Credit notes carry a negative total and point at the invoice they credit.
    for (const StoredRecord& note : invoices)
        if (!note.deleted)
            if (const auto credited = text(note.payload, "creditedInvoiceId"))
                paid[*credited] -= integer(note.payload, "totalCents");

    OpenInvoiceIndex index;
    for (StoredRecord& invoice : invoices) {
        if (invoice.deleted) continue;
        const std::optional<std::string> number = text(invoice.payload, "invoiceNumber");
        const std::optional<InvoiceStatus> status =
            parseInvoiceStatus(text(invoice.payload, "status").value_or(""));
        if (!number || number->empty() || !status || !acceptsPayment(*status)) continue;
        const auto found = paid.find(invoice.id);
        const std::int64_t open =
            integer(invoice.payload, "totalCents") - (found == paid.end() ? 0 : found->second);
        if (open <= 0) continue;
        index.byNumber_.insert_or_assign(upper(*number), OpenInvoice{std::move(invoice), open});
    }
    return index;
}

OpenInvoiceIndex::OpenInvoice* OpenInvoiceIndex::findIn(std::string_view remittance) {
    OpenInvoice* match = nullptr;
    for (const std::string& word : candidateNumbers(remittance)) {
        const auto found = byNumber_.find(word);
        if (found == byNumber_.end()) continue;
        if (match && match != &found->second) return nullptr;  // two invoices named: a person decides
        match = &found->second;
    }
    return match;
}

void OpenInvoiceIndex::settle(const std::string& number, std::int64_t paidCents, StoredRecord written) {
    const auto found = byNumber_.find(upper(number));
    if (found == byNumber_.end()) return;
    found->second.openCents -= paidCents;
    if (found->second.openCents <= 0) {
        byNumber_.erase(found);
        return;
    }
    found->second.record = std::move(written);
}

}  // namespace zelvorin::service
