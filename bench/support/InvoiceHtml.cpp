#include "bench/support/InvoiceHtml.h"

#include <cstdint>
#include <map>

#include "domain/Money.h"

namespace zelvorin::bench {
namespace {

std::string escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string orEmpty(const std::optional<std::string>& text) {
    return text ? escaped(*text) : std::string();
}

constexpr const char* kStyle = R"(
@page { size: A4; margin: 20mm 18mm 22mm 18mm;
        @bottom-center { content: "Pagina " counter(page) " van " counter(pages);
                         font: 8pt Roboto; color: #666; } }
body { font: 9pt Roboto; color: #222; }
h1 { font-size: 20pt; margin: 0 0 8mm 0; }
.parties { display: flex; justify-content: space-between; margin-bottom: 8mm; }
table.lines { width: 100%; border-collapse: collapse; }
table.lines thead { display: table-header-group; }
table.lines th { text-align: left; border-bottom: 1px solid #999; padding: 2pt 3pt; }
table.lines td { padding: 2pt 3pt; vertical-align: top; }
table.lines tr:nth-child(even) td { background: #f4f4f4; }
td.amount, th.amount { text-align: right; }
table.totals { margin-left: auto; margin-top: 6mm; }
table.totals td { padding: 1pt 4pt; text-align: right; }
)";

}  // namespace

std::string invoiceHtml(const InvoiceContent& content) {
    std::string html = "<!DOCTYPE html><html lang=\"nl\"><head><meta charset=\"utf-8\"><style>";
    html += kStyle;
    html += "</style></head><body>";
    html += "<h1>Factuur " + orEmpty(content.invoiceNumber) + "</h1>";
    html += "<div class=\"parties\"><div>";
    if (const auto& org = content.organizationSnapshot) {
        html += "<strong>" + escaped(org->name) + "</strong><br>" + orEmpty(org->street) + " " +
                orEmpty(org->houseNumber) + "<br>" + orEmpty(org->postcode) + " " + orEmpty(org->city) +
                "<br>BTW " + orEmpty(org->vatNumber) + "<br>KvK " + orEmpty(org->kvkNumber) + "<br>IBAN " +
                orEmpty(org->iban);
    }
    html += "</div><div>";
    if (const auto& customer = content.customerSnapshot) {
        html += "<strong>" + escaped(customer->companyName) + "</strong><br>" + orEmpty(customer->street) +
                " " + orEmpty(customer->houseNumber) + "<br>" + orEmpty(customer->postcode) + " " +
                orEmpty(customer->city);
    }
    html += "<br>Factuurdatum " + orEmpty(content.issueDate) + "<br>Vervaldatum " + orEmpty(content.dueDate);
    html += "</div></div>";

    html +=
        "<table class=\"lines\"><thead><tr><th>Omschrijving</th><th class=\"amount\">Aantal</th>"
        "<th class=\"amount\">Prijs</th><th class=\"amount\">BTW</th><th class=\"amount\">Bedrag</th>"
        "</tr></thead><tbody>";
    std::int64_t subtotal = 0;
    std::map<double, std::int64_t> vatByRate;
    for (const InvoiceLineItem& line : content.lineItems) {
        subtotal += line.subtotalExVatCents;
        vatByRate[line.vatRate] += line.vatAmountCents;
        html += "<tr><td>" + escaped(line.description) + "</td><td class=\"amount\">" +
                (line.quantityHundredths ? formatHundredths(*line.quantityHundredths) : "") +
                "</td><td class=\"amount\">" + (line.unitPriceCents ? formatEuro(*line.unitPriceCents) : "") +
                "</td><td class=\"amount\">" + std::to_string(static_cast<int>(line.vatRate)) +
                "%</td><td class=\"amount\">" + formatEuro(line.subtotalExVatCents) + "</td></tr>";
    }
    html += "</tbody></table><table class=\"totals\"><tr><td>Subtotaal</td><td>" + formatEuro(subtotal) +
            "</td></tr>";
    std::int64_t total = subtotal;
    for (const auto& [rate, vat] : vatByRate) {
        total += vat;
        html += "<tr><td>BTW " + std::to_string(static_cast<int>(rate)) + "%</td><td>" + formatEuro(vat) +
                "</td></tr>";
    }
    html += "<tr><td><strong>Totaal</strong></td><td><strong>" + formatEuro(total) +
            "</strong></td></tr></table>";
    html += "<p>" + orEmpty(content.paymentInstructions) + "</p></body></html>";
    return html;
}

}  // namespace zelvorin::bench
