#include "intelligence/ReceiptVocabulary.h"

#include <algorithm>
#include <vector>

#include "intelligence/TextScanning.h"

namespace zelvorin::vocabulary {
namespace {

// Any of the words, with no letter or digit directly on either side.
template <std::size_t N>
bool hasWord(std::string_view line, const std::string_view (&words)[N]) {
    return std::any_of(std::begin(words), std::end(words),
                       [&](std::string_view word) { return scanning::containsWord(line, word); });
}

// Any of the parts, wherever they stand.
template <std::size_t N>
bool hasPart(std::string_view line, const std::string_view (&parts)[N]) {
    return std::any_of(std::begin(parts), std::end(parts),
                       [&](std::string_view part) { return line.find(part) != std::string_view::npos; });
}

// The word lists, in lower case and without accents as folded lines have them; laid out by hand.
// clang-format off
// Parts of the sum: subtotals, net amounts, VAT totals.
constexpr std::string_view kSubtotals[] = {
    "subtota", "sub-tota", "sub tota", "zwischensumme", "zw-summe", "zw.-summe", "zw.summe", "sous-total",
    "sous total", "excl", "exkl", "ohne mwst", "netto", "net amount", "total net", "nettobetrag", "total ht",
    "montant ht", "totaal btw", "btw totaal", "total vat", "vat total", "total tax", "tax total", "total tva",
    "montant tva", "summe mwst", "mwst summe", "mwst-summe", "steuerbetrag", "mwst-betrag", "mwst betrag",
    "ust-betrag",
};
// What has to be paid, said in so many words.
constexpr std::string_view kPayable[] = {
    "te betalen", "total due", "amount due", "balance due", "amount payable", "total payable", "totaalbedrag",
    "total amount", "grand total", "eindtotaal", "totaal incl", "total incl", "te voldoen", "zu zahlen",
    "zahlbetrag", "gesamtbetrag", "rechnungsbetrag", "endbetrag", "gesamtsumme", "rechnungssumme", "endsumme",
    "summe brutto", "gesamt brutto", "bruttobetrag", "total ttc", "montant ttc",
};
constexpr std::string_view kPayableWords[] = {
    "a payer",
};
constexpr std::string_view kTotalWords[] = {
    "totaal", "total", "tot", "summe", "gesamt", "montant total", "totale",
};
// What comes back: change.
constexpr std::string_view kChangeWords[] = {
    "ruckgeld", "wechselgeld", "zuruck", "wisselgeld", "retour", "change", "rendu", "monnaie rendue", "terug",
};
// A card pays exactly what is due.
constexpr std::string_view kCardWords[] = {
    "pin", "pinnen", "pinbetaling", "betaald", "bezahlt", "paid", "card", "maestro", "visa", "mastercard",
    "vpay", "v pay", "karte", "kartenzahlung", "girocard", "lastschrift", "elv", "ec", "ec-cash", "debit",
    "credit", "contactless", "kontaktlos", "carte", "cb", "amex", "american express", "apple pay",
    "google pay",
};
constexpr std::string_view kCardParts[] = {
    "kreditkarte", "mastercard", "girocard",
};
// Cash handed over, often more than is due.
constexpr std::string_view kCashWords[] = {
    "bar", "bargeld", "gegeben", "contant", "contanten", "cash", "especes", "tendered", "comptant",
};
constexpr std::string_view kVatWords[] = {
    "btw", "vat", "b.t.w", "tax", "mwst", "mw-st", "ust", "umsatzsteuer", "mehrwertsteuer", "mehrwertst",
    "steuer", "tva", "t.v.a", "iva",
};
constexpr std::string_view kVatParts[] = {
    "btw%", "vat%", "mwst%", "mwst.", "ust%",
};
// Registration numbers: VAT, tax, chamber of commerce, court register.
constexpr std::string_view kRegistrations[] = {
    "btw-nr", "btw nr", "btw-nummer", "btw nummer", "btw-id", "btw id", "btw no", "vat number", "vat no",
    "vat reg", "vat id", "vat-id", "ust-id", "ust id", "ustid", "ust.-id", "ust-nr", "umsatzsteuer-id",
    "umsatzsteuer id", "steuernummer", "steuer-nr", "steuernr", "st.-nr", "st-nr", "stnr", "tva intra",
    "no tva", "numero de tva", "numero tva", "\xC2\xB0 tva", "id tva", "siret", "siren", "kvk", "k.v.k",
    "kamer van koophandel", "chamber of commerce", "handelsregister", "hrb ", "amtsgericht",
    "registergericht", "company reg", "registered in", "weee",
};
// Labels of the customer's block.
constexpr std::string_view kCustomerBlocks[] = {
    "factuuradres", "afleveradres", "leveradres", "bill to", "billed to", "invoice to", "ship to",
    "deliver to", "delivery address", "billing address", "rechnungsadresse", "lieferadresse",
    "lieferanschrift", "rechnungsanschrift", "rechnungsempfanger", "adresse de facturation",
    "adresse de livraison", "facture a", "facturer a", "livre a", "livrer a", "destinataire", "klantgegevens",
    "kundendaten", "customer details",
};
constexpr std::string_view kCustomerLabels[] = {
    "aan:", "to:", "an:", "customer:", "klant:", "client:", "kunde:", "afnemer:",
};
// Words that name the document itself.
constexpr std::string_view kDocumentWords[] = {
    "factuur", "invoice", "tax invoice", "kassabon", "bon", "receipt", "origineel", "original", "kopie",
    "copy", "creditnota", "credit note", "pakbon", "welkom", "welcome", "rechnung", "quittung", "kassenbon",
    "kassenbeleg", "kundenbeleg", "beleg", "lieferschein", "gutschrift", "facture", "avoir", "ticket", "recu",
    "duplikat", "duplicaat", "duplicate", "willkommen", "bienvenue", "factuurgegevens", "bedrijfsgegevens",
    "rechnungsdaten", "invoice details", "kassenzettel", "copie", "duplicata",
};
constexpr std::string_view kLegalForms[] = {
    "b.v", "v.o.f", "n.v", "c.v", "ltd", "limited", "llc", "inc", "plc", "gmbh", "mbh", "ohg", "e.k", "gbr",
    "kgaa", "sarl", "s.a.r.l", "sas", "s.a.s", "s.a", "eurl", "snc", "bvba", "sprl", "srl", "s.r.l", "s.l",
    "holding",
};
// Two or three letters that are a legal form only behind a name.
constexpr std::string_view kShortLegalForms[] = {
    "bv", "nv", "ag", "kg", "ug", "vof",
};
// Kinds of shops and businesses, as parts of words ("Stadt-Apotheke", "Bakkerij", "Baumarkt").
constexpr std::string_view kTrades[] = {
    "apotheke", "apotheek", "pharmacy", "pharmacie", "backerei", "baeckerei", "bakkerij", "bakery",
    "boulangerie", "patisserie", "konditorei", "restaurant", "cafe", "bistro", "brasserie", "hotel",
    "slagerij", "metzgerei", "boucherie", "butcher", "drogerie", "drogisterij", "markt", "market", "marche",
    "tankstelle", "tankstation", "buchhandlung", "boekhandel", "librairie", "bookshop", "bloemen", "blumen",
    "fleuriste", "florist", "kiosk", "shop", "store", "winkel", "warenhaus", "kaufhaus", "optiek", "optik",
    "garage", "autohaus", "reisebuero", "reisburo", "friseur", "kapsalon", "coiffure",
};
// Dates that are not the document's.
constexpr std::string_view kOtherDates[] = {
    "verval", "due date", "uiterlijk", "pay before", "payable by", "geldig tot", "valid until", "lever",
    "delivery", "fallig", "zahlbar bis", "zahlungsziel", "liefer", "leistung", "gultig bis", "mhd",
    "echeance", "date limite", "livraison", "valable", "expir", "ablauf", "zeitraum", "periode", "period",
    "bestell", "order date", "orderdatum", "auftragsdatum", "date de commande",
};
constexpr std::string_view kOtherDateWords[] = {
    "due", "bis",
};
constexpr std::string_view kDocumentDates[] = {
    "factuurdatum", "invoice date", "datum factuur", "date of issue", "issue date", "rechnungsdatum",
    "belegdatum", "date de facture", "date facture", "date d'emission", "date d emission", "bondatum",
};
constexpr std::string_view kDates[] = {
    "datum", "date",
};
// Column names of a table of items.
constexpr std::string_view kColumns[] = {
    "omschrijving", "description", "aantal", "qty", "quantity", "prijs", "price", "bedrag", "amount",
    "artikel", "product", "item", "bezeichnung", "beschreibung", "menge", "anzahl", "einzelpreis", "preis",
    "gesamtpreis", "betrag", "designation", "quantite", "qte", "prix", "montant", "stuks", "unit",
};
// Opening hours, phone, bank and terminal lines: their figures are never money.
constexpr std::string_view kServiceWords[] = {
    "uhr", "tel", "tel.", "fax", "telefon", "phone", "iban", "bic", "blz", "kto", "konto", "rekening",
    "account", "terminal", "trace", "vu-nr", "ta-nr", "bnr", "emv", "aid", "pan", "payback", "punkte",
    "treuemarken", "spaarpunten", "openingstijden", "geopend", "opening", "offnungszeiten", "geoffnet",
    "horaires",
};
constexpr std::string_view kServiceParts[] = {
    "genehmigung", "autorisier", "deutschlandcard", "mo.-sa", "mo-sa", "mo.-fr", "mo-fr", "ma t/m", "ma-za",
    "kartennr",
};
// clang-format on

// The base letter of a Latin-1 letter given by the second byte of its UTF-8 form (after 0xC3).
std::string_view baseOfLatin1(unsigned char second) {
    const unsigned char lower = second >= 0x80 && second <= 0x9E && second != 0x97 ? second + 0x20 : second;
    if (lower == 0x9F) return "ss";
    if (lower >= 0xA0 && lower <= 0xA5) return "a";
    if (lower == 0xA6) return "ae";
    if (lower == 0xA7) return "c";
    if (lower >= 0xA8 && lower <= 0xAB) return "e";
    if (lower >= 0xAC && lower <= 0xAF) return "i";
    if (lower == 0xB1) return "n";
    if ((lower >= 0xB2 && lower <= 0xB6) || lower == 0xB8) return "o";
    if (lower >= 0xB9 && lower <= 0xBC) return "u";
    if (lower == 0xBD || lower == 0xBF) return "y";
    return {};
}

std::vector<std::string_view> tokens(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == ','))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != ',')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

bool isLetters(std::string_view token) {
    return !token.empty() && std::all_of(token.begin(), token.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || c == '-' || c == '&' || c == '.' ||
               static_cast<unsigned char>(c) >= 0x80;
    });
}

}  // namespace

std::string folded(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if (static_cast<unsigned char>(c) == 0xC3 && i + 1 < line.size()) {
            const auto base = baseOfLatin1(static_cast<unsigned char>(line[i + 1]));
            if (base.empty()) {
                out += line.substr(i, 2);
            } else {
                out += base;
            }
            ++i;
        } else if (c == ':' && !out.empty() && out.back() == ' ') {
            out.back() = ':';  // "Client :", as French prints it, reads as "Client:"
        } else {
            out += c;
        }
    }
    return out;
}

bool isSubtotal(std::string_view line) {
    return hasPart(line, kSubtotals);
}

TotalLabel totalLabel(std::string_view line) {
    if (isSubtotal(line)) return TotalLabel::none;
    if (hasPart(line, kPayable) || hasWord(line, kPayableWords)) return TotalLabel::payable;
    if (hasWord(line, kTotalWords)) return TotalLabel::total;
    return TotalLabel::none;
}

Tender tender(std::string_view line) {
    if (hasWord(line, kChangeWords)) return Tender::change;
    // "Betrag" is the amount paid on a card slip, and a column of the VAT table.
    const std::string_view amountPaid[] = {"betrag"};
    if (hasWord(line, kCardWords) || hasPart(line, kCardParts) ||
        (!mentionsVat(line) && hasWord(line, amountPaid)))
        return Tender::card;
    if (hasWord(line, kCashWords)) return Tender::cash;
    return Tender::none;
}

std::size_t cashOrChangeAt(std::string_view lowered) {
    std::size_t first = std::string_view::npos;
    const auto earliest = [&](std::size_t at) { first = std::min(first, at); };
    for (auto word : kCashWords)
        earliest(scanning::findWord(lowered, word));
    for (auto word : kChangeWords)
        earliest(scanning::findWord(lowered, word));
    // "Rückgeld" keeps its umlaut, in either case, in a lowered line.
    earliest(lowered.find("ckgeld"));
    return first;
}

bool mentionsVat(std::string_view line) {
    return hasWord(line, kVatWords) || hasPart(line, kVatParts);
}

bool namesRegistration(std::string_view line) {
    return hasPart(line, kRegistrations);
}

bool opensCustomerBlock(std::string_view line) {
    return hasPart(line, kCustomerBlocks) || hasWord(line, kCustomerLabels);
}

std::span<const std::string_view> documentWords() {
    return kDocumentWords;
}

bool hasLegalForm(std::string_view line) {
    const auto parts = tokens(line);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string_view token = parts[i];
        while (!token.empty() && (token.back() == '.' || token.back() == ')'))
            token.remove_suffix(1);
        if (std::find(std::begin(kLegalForms), std::end(kLegalForms), token) != std::end(kLegalForms))
            return true;
        // Two letters are a legal form only behind a name, never alone or behind a figure ("1 kg").
        const bool behindName = i > 0 && isLetters(parts[i - 1]);
        if (behindName && std::find(std::begin(kShortLegalForms), std::end(kShortLegalForms), token) !=
                              std::end(kShortLegalForms)) {
            return true;
        }
    }
    return false;
}

bool namesTrade(std::string_view line) {
    return hasPart(line, kTrades);
}

bool isOtherDate(std::string_view line) {
    return hasPart(line, kOtherDates) || hasWord(line, kOtherDateWords);
}

bool labelsDocumentDate(std::string_view line) {
    return hasPart(line, kDocumentDates);
}

bool labelsDate(std::string_view line) {
    return hasPart(line, kDates);
}

bool isColumnHeader(std::string_view line) {
    const auto hits = std::count_if(std::begin(kColumns), std::end(kColumns), [&](std::string_view word) {
        return scanning::containsWord(line, word);
    });
    return hits >= 2;
}

bool isServiceInformation(std::string_view line) {
    return hasWord(line, kServiceWords) || hasPart(line, kServiceParts);
}

}  // namespace zelvorin::vocabulary
