#pragma once

#include <span>
#include <string>
#include <string_view>

// The words receipts and invoices use for their parts, in Dutch, German, English and French, as
// recognition gives them (accents often lost: "zuruck", "a payer"). Every function takes a line
// made by `folded`, so each word is written here once, without accents.
namespace zelvorin::vocabulary {

// ASCII letters lowered; accented Latin letters (UTF-8) as their base letter, "ß" as "ss"; a space
// before a colon dropped; other bytes kept. The length may change: use it to classify a line, not
// to cut it.
std::string folded(std::string_view line);

// How strongly a line says its amount is what has to be paid.
enum class TotalLabel {
    none,
    total,    // "Totaal", "Total", "Summe", "Montant"
    payable,  // "Te betalen", "Total due", "Zu zahlen", "Net à payer", "Total TTC"
};
TotalLabel totalLabel(std::string_view line);

// A part of the sum rather than the sum: subtotals, net amounts, VAT totals.
bool isSubtotal(std::string_view line);

// What a payment line says was handed over.
enum class Tender {
    none,
    card,    // "PIN", "EC-Karte", "Mastercard", "Kartenzahlung": exactly what was due
    cash,    // "Bar", "Gegeben", "Contant", "Espèces": what was handed over, often more
    change,  // "Rückgeld", "Wisselgeld", "Change", "Rendu": what came back
};
Tender tender(std::string_view line);
// Where the first word of cash handed over or change stands in a line lowered but not folded (so
// that the offset is the line's own), or npos.
std::size_t cashOrChangeAt(std::string_view lowered);

// The line speaks of VAT ("BTW", "MwSt", "USt", "TVA", "VAT", "Tax").
bool mentionsVat(std::string_view line);
// The line names a registration number (VAT, tax, chamber of commerce) rather than an amount of VAT.
bool namesRegistration(std::string_view line);

// A label that opens the customer's block: the addressee of the invoice, the delivery address.
bool opensCustomerBlock(std::string_view line);

// Words that name the document itself ("factuur", "rechnung", "kassenbon", "receipt"), folded.
std::span<const std::string_view> documentWords();
// The line names a kind of shop or business ("Apotheke", "Bakkerij", "Restaurant", "Baumarkt"): a
// shop's name, where an owner's name or a slogan is only beside it.
bool namesTrade(std::string_view line);

// A legal form of a company ("B.V.", "GmbH", "Ltd", "SARL") in the line.
bool hasLegalForm(std::string_view line);

// The date on the line is not the document's: due dates, delivery dates, validity.
bool isOtherDate(std::string_view line);
// The line labels the document's own date ("Factuurdatum", "Rechnungsdatum", "Invoice date").
bool labelsDocumentDate(std::string_view line);
// The line labels some date ("Datum", "Date").
bool labelsDate(std::string_view line);

// The header row of a table of items: two column names or more ("Omschrijving Aantal Bedrag").
bool isColumnHeader(std::string_view line);

// Opening hours, phone numbers and other lines whose figures are never money.
bool isServiceInformation(std::string_view line);

}  // namespace zelvorin::vocabulary
