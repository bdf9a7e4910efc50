#include "service/btw/BtwActions.h"

#include <map>

#include "service/http/ServiceError.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

// 123456 → "1234,56"; negative amounts keep their sign.
std::string decimalComma(std::int64_t cents) {
    const bool negative = cents < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
    std::string fraction = std::to_string(magnitude % 100);
    if (fraction.size() < 2) fraction.insert(0, "0");
    return (negative ? "-" : "") + std::to_string(magnitude / 100) + "," + fraction;
}

// A CSV field: quoted when it holds the separator, a quote or a line break.
std::string field(const std::string& text) {
    if (text.find_first_of(";\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::int64_t cents(const Json& payload, const char* key) {
    return payload.contains(key) && payload[key].is_number_integer() ? payload[key].get<std::int64_t>() : 0;
}

std::string quarterCsv(Connection& db, const std::string& organizationId, int year, int quarter) {
    std::map<std::string, std::string> customerNames;
    for (const StoredRecord& customer : records::all(db, organizationId, std::string("customer"))) {
        customerNames[customer.id] = customer.payload.value("companyName", "");
    }
    const std::string firstMonth =
        std::to_string(year) + "-" + (quarter * 3 - 2 < 10 ? "0" : "") + std::to_string(quarter * 3 - 2);
    const std::string lastMonth =
        std::to_string(year) + "-" + (quarter * 3 < 10 ? "0" : "") + std::to_string(quarter * 3);
    std::string csv = "Factuurnummer;Factuurdatum;Klant;Btw-behandeling;Omzet excl. btw;Btw;Totaal\r\n";
    std::int64_t subtotal = 0, vat = 0, total = 0;
    for (const StoredRecord& record : records::all(db, organizationId, std::string("draftInvoice"))) {
        const Json& invoice = record.payload;
        if (record.deleted || !invoice.contains("invoiceNumber") || invoice.value("status", "") == "draft")
            continue;
        const std::string month = invoice.value("issueDate", "").substr(0, 7);
        if (month < firstMonth || month > lastMonth) continue;
        const std::string customer = customerNames[invoice.value("customerId", "")];
        csv += field(invoice.value("invoiceNumber", "")) + ";" +
               invoice.value("issueDate", "").substr(0, 10) + ";" + field(customer) + ";" +
               invoice.value("vatTreatment", "") + ";" + decimalComma(cents(invoice, "subtotalCents")) + ";" +
               decimalComma(cents(invoice, "vatCents")) + ";" + decimalComma(cents(invoice, "totalCents")) +
               "\r\n";
        subtotal += cents(invoice, "subtotalCents");
        vat += cents(invoice, "vatCents");
        total += cents(invoice, "totalCents");
    }
    csv +=
        "Totaal;;;;" + decimalComma(subtotal) + ";" + decimalComma(vat) + ";" + decimalComma(total) + "\r\n";
    return csv;
}

}  // namespace

QuarterExport exportQuarter(const ServiceDatabase& database, const Caller& caller, int year, int quarter) {
    if (quarter < 1 || quarter > 4 || year < 2000 || year > 2100)
        throw ServiceError(ErrorKind::unprocessable, "Ongeldige periode.");
    return QuarterExport{
        "btw-aangifte-Q" + std::to_string(quarter) + "-" + std::to_string(year) + ".csv",
        database.read([&](Connection& db) { return quarterCsv(db, caller.organizationId, year, quarter); })};
}

}  // namespace zelvorin::service
