#include "service/invoices/InvoiceNumbering.h"

#include <algorithm>
#include <charconv>

#include "domain/DraftInvoiceNumber.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/InvoiceNumberCounter.h"
#include "service/store/Records.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

struct NumberFormat {
    std::optional<std::string> numberTemplate;
    std::optional<std::string> prefix;
    std::optional<int> width;
};

NumberFormat numberFormat(Connection& db, const std::string& organizationId) {
    for (const StoredRecord& settings : records::all(db, organizationId, std::string("orgSettings"))) {
        if (settings.deleted) continue;
        NumberFormat format{invoicerecords::text(settings.payload, "invoiceTemplate"),
                            invoicerecords::text(settings.payload, "invoicePrefix"), std::nullopt};
        // A template without a place for the sequence would give every invoice the same number.
        if (format.numberTemplate && format.numberTemplate->find("{SEQ}") == std::string::npos)
            format.numberTemplate.reset();
        if (const auto width = settings.payload.find("invoiceSeqPadding");
            width != settings.payload.end() && width->is_number_integer())
            format.width = width->get<int>();
        return format;
    }
    return {};
}

std::string formatted(const NumberFormat& format, int year, std::int64_t sequence) {
    const std::string conceptNumber = "C" + std::to_string(year) + "-" + std::to_string(sequence);
    return DraftInvoiceNumber::preview(conceptNumber, format.numberTemplate, format.prefix, format.width)
        .value_or(conceptNumber);
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The sequence a number of `year` carries, when it is one of this format: the text around the
// template's "{SEQ}" (with prefix and year filled in as the formatting does) and digits between.
std::optional<std::int64_t> sequenceOf(const std::string& number, const NumberFormat& format, int year) {
    std::string pattern(format.numberTemplate.value_or(std::string(DraftInvoiceNumber::kDefaultTemplate)));
    replaceAll(pattern, "{PREFIX}", format.prefix.value_or(std::string(DraftInvoiceNumber::kDefaultPrefix)));
    replaceAll(pattern, "{YEAR}", std::to_string(year));
    const std::size_t at = pattern.find("{SEQ}");
    if (at == std::string::npos) return std::nullopt;
    const std::string before = pattern.substr(0, at), after = pattern.substr(at + 5);
    if (number.size() <= before.size() + after.size() || !number.starts_with(before) ||
        !number.ends_with(after))
        return std::nullopt;
    const std::string digits = number.substr(before.size(), number.size() - before.size() - after.size());
    std::int64_t sequence = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), sequence);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return sequence;
}

std::int64_t highestNumberedSequence(Connection& db, const std::string& organizationId,
                                     const NumberFormat& format, int year) {
    std::int64_t highest = 0;
    // Tombstones too: a deleted invoice's number was handed out. Credit notes number in the
    // same series.
    for (const char* type : {"draftInvoice", "creditNote"})
        for (const StoredRecord& invoice : records::all(db, organizationId, std::string(type)))
            if (const auto number = invoicerecords::text(invoice.payload, "invoiceNumber"))
                highest = std::max(highest, sequenceOf(*number, format, year).value_or(0));
    return highest;
}

}  // namespace

std::string takeNextInvoiceNumber(Connection& db, const std::string& organizationId, int year) {
    const NumberFormat format = numberFormat(db, organizationId);
    std::optional<std::int64_t> last = invoicenumbercounter::last(db, organizationId, year);
    if (!last) last = highestNumberedSequence(db, organizationId, format, year);
    invoicenumbercounter::setLast(db, organizationId, year, *last + 1);
    return formatted(format, year, *last + 1);
}

void keepInvoiceNumberCountersAhead(Connection& db, const std::string& organizationId) {
    const NumberFormat format = numberFormat(db, organizationId);
    for (const auto& [year, last] : invoicenumbercounter::all(db, organizationId)) {
        const std::int64_t highest = highestNumberedSequence(db, organizationId, format, year);
        if (highest > last) invoicenumbercounter::setLast(db, organizationId, year, highest);
    }
}

}  // namespace zelvorin::service
