#include "service/btw/VatQuarterCsv.h"

#include "domain/Money.h"

namespace zelvorin::service::btw {

namespace {

constexpr const char* kEnd = "\r\n";

// The amounts are ours, never the user's text, so they stay numbers: "-1234,56".
std::string amount(std::int64_t cents) {
    const bool negative = cents < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
    std::string fraction = std::to_string(magnitude % 100);
    if (fraction.size() < 2) fraction.insert(0, "0");
    return (negative ? "-" : "") + std::to_string(magnitude / 100) + "," + fraction;
}

std::string rubriekRow(const Rubriek& rubriek) {
    return csvCell(rubriek.label) + ";" + amount(rubriek.omzetCents) + ";" + amount(rubriek.btwCents) + ";" +
           std::to_string(rubriek.invoiceCount) + kEnd;
}

std::string invoiceRows(const QuarterSummary& summary, const std::vector<SalesDocument>& sales) {
    std::string csv = std::string("Factuurnummer;Factuurdatum;Klant;Omzet excl. btw;Btw;Totaal") + kEnd;
    const std::string first = quarterFirstDay(summary.year, summary.quarter),
                      last = quarterLastDay(summary.year, summary.quarter);
    for (const SalesDocument& document : sales) {
        const std::string day = document.issueDate.substr(0, 10);
        if (day < first || day > last) continue;
        std::int64_t excl = 0, vat = 0;
        for (const SalesLine& line : document.lines) {
            excl += line.exclCents;
            if (line.treatment != VatTreatment::verlegd) vat += line.vatCents;
        }
        csv += csvCell(document.number) + ";" + day + ";" + csvCell(document.customerName) + ";" +
               amount(excl) + ";" + amount(vat) + ";" + amount(excl + vat) + kEnd;
    }
    return csv;
}

}  // namespace

std::string csvCell(const std::string& text) {
    std::string cell = text;
    if (!cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos)
        cell.insert(0, "'");
    if (cell.find_first_of(";\"\n\r") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string quarterCsv(const QuarterSummary& summary, const std::vector<SalesDocument>& sales) {
    std::string csv = "Btw-aangifte;Q" + std::to_string(summary.quarter) + " " +
                      std::to_string(summary.year) + ";" +
                      (summary.basis == VatBasis::cash ? "kasstelsel" : "factuurstelsel") + kEnd;
    csv += std::string("Rubriek;Omzet excl. btw;Btw;Facturen") + kEnd;
    csv += rubriekRow(summary.rubriek1a) + rubriekRow(summary.rubriek1b) + rubriekRow(summary.rubriek1e) +
           rubriekRow(summary.verlegd);
    csv += "5b Voorbelasting;;" + amount(summary.totalVoorbelasting) + ";" + kEnd;
    csv += "Totaal omzet;" + amount(summary.totalOmzet) + ";;" + kEnd;
    csv += "Verschuldigde btw;;" + amount(summary.totalBtwAf) + ";" + kEnd;
    csv += "Per saldo te betalen;;" + amount(summary.perSaldo) + ";" + kEnd;
    csv += kEnd + invoiceRows(summary, sales);
    if (!summary.otherCosts.empty()) {
        csv += std::string(kEnd) + "Overige kosten;Datum;Bedrag incl. btw;Tarief;Btw" + kEnd;
        for (const OtherCost& cost : summary.otherCosts) {
            csv += csvCell(cost.counterpartyName) + ";" + cost.transactionDate + ";" +
                   amount(cost.amountCents) + ";" + std::to_string(cost.vatRatePercent) + ";" +
                   amount(cost.btwCents) + kEnd;
        }
    }
    if (!summary.missingDocuments.empty()) {
        csv += std::string(kEnd) + "Ontbrekende documenten;Datum;Bedrag" + kEnd;
        for (const MissingDocument& document : summary.missingDocuments) {
            csv += csvCell(document.counterpartyName) + ";" + document.transactionDate + ";" +
                   amount(document.amountCents) + kEnd;
        }
    }
    if (!summary.warnings.empty()) {
        csv += std::string(kEnd) + "Waarschuwingen" + kEnd;
        for (const std::string& warning : summary.warnings)
            csv += csvCell(warning) + kEnd;
    }
    return csv;
}

}  // namespace zelvorin::service::btw
