#include "intelligence/ReceiptVocabulary.h"

#include <algorithm>
#include <vector>

#include "intelligence/TextScanning.h"

namespace zelvorin::vocabulary {
namespace {

using scanning::containsAny;
using scanning::containsAnyWord;

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
        return (c >= 'a' && c <= 'z') || c == '-' || c == '&' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
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
    return containsAny(line, {"subtota", "sub-tota", "sub tota", "zwischensumme", "zw-summe", "zw.-summe", "zw.summe",
                          "sous-total", "sous total", "excl", "exkl", "ohne mwst", "netto", "net amount",
                          "total net", "nettobetrag", "total ht", "montant ht", "totaal btw", "btw totaal",
                          "total vat", "vat total", "total tax", "tax total", "total tva", "montant tva",
                          "summe mwst", "mwst summe", "mwst-summe", "steuerbetrag", "mwst-betrag", "mwst betrag",
                          "ust-betrag"});
}

TotalLabel totalLabel(std::string_view line) {
    if (isSubtotal(line)) return TotalLabel::none;
    if (containsAny(line, {"te betalen", "total due", "amount due", "balance due", "amount payable", "total payable",
                       "totaalbedrag", "total amount", "grand total", "eindtotaal", "totaal incl", "total incl",
                       "te voldoen", "zu zahlen", "zahlbetrag", "gesamtbetrag", "rechnungsbetrag", "endbetrag",
                       "gesamtsumme", "rechnungssumme", "endsumme", "summe brutto", "gesamt brutto",
                       "bruttobetrag", "total ttc", "montant ttc"}) ||
        containsAnyWord(line, {"a payer"})) {
        return TotalLabel::payable;
    }
    if (containsAnyWord(line, {"totaal", "total", "tot", "summe", "gesamt", "montant total", "totale"}))
        return TotalLabel::total;
    return TotalLabel::none;
}

Tender tender(std::string_view line) {
    if (containsAnyWord(line, {"ruckgeld", "wechselgeld", "zuruck", "wisselgeld", "retour", "change", "rendu",
                       "monnaie rendue", "terug"})) {
        return Tender::change;
    }
    if (containsAnyWord(line, {"pin", "pinnen", "pinbetaling", "betaald", "bezahlt", "paid", "card", "maestro", "visa",
                       "mastercard", "vpay", "v pay", "karte", "kartenzahlung", "girocard", "lastschrift", "elv",
                       "ec", "ec-cash", "debit", "credit", "contactless", "kontaktlos", "carte", "cb", "amex",
                       "american express", "apple pay", "google pay"}) ||
        containsAny(line, {"kreditkarte", "mastercard", "girocard"}) ||
        (!mentionsVat(line) && containsAnyWord(line, {"betrag"}))) {
        return Tender::card;
    }
    if (containsAnyWord(line, {"bar", "bargeld", "gegeben", "contant", "contanten", "cash", "especes", "tendered",
                       "comptant"})) {
        return Tender::cash;
    }
    return Tender::none;
}

bool mentionsVat(std::string_view line) {
    return containsAnyWord(line, {"btw", "vat", "b.t.w", "tax", "mwst", "mw-st", "ust", "umsatzsteuer", "mehrwertsteuer",
                          "mehrwertst", "steuer", "tva", "t.v.a", "iva"}) ||
           containsAny(line, {"btw%", "vat%", "mwst%", "mwst.", "ust%"});
}

bool namesRegistration(std::string_view line) {
    return containsAny(line, {"btw-nr", "btw nr", "btw-nummer", "btw nummer", "btw-id", "btw id", "btw no",
                          "vat number", "vat no", "vat reg", "vat id", "vat-id", "ust-id", "ust id", "ustid",
                          "ust.-id", "ust-nr", "umsatzsteuer-id", "umsatzsteuer id", "steuernummer", "steuer-nr",
                          "steuernr", "st.-nr", "st-nr", "stnr", "tva intra", "no tva", "numero de tva",
                          "numero tva", "\xC2\xB0 tva", "id tva", "siret", "siren", "kvk", "k.v.k",
                          "kamer van koophandel", "chamber of commerce", "handelsregister", "hrb ", "amtsgericht",
                          "registergericht", "company reg", "registered in", "weee"});
}

bool opensCustomerBlock(std::string_view line) {
    return containsAny(line, {"factuuradres", "afleveradres", "leveradres", "bill to", "billed to", "invoice to",
                          "ship to", "deliver to", "delivery address", "billing address", "rechnungsadresse",
                          "lieferadresse", "lieferanschrift", "rechnungsanschrift", "rechnungsempfanger",
                          "adresse de facturation", "adresse de livraison", "facture a", "facturer a", "livre a",
                          "livrer a", "destinataire"}) ||
           containsAnyWord(line, {"aan:", "to:", "an:", "customer:", "klant:", "client:", "kunde:", "afnemer:"});
}

std::span<const std::string_view> documentWords() {
    static constexpr std::string_view kWords[] = {
        "factuur",   "invoice",    "tax invoice", "kassabon", "bon",         "receipt",    "origineel",
        "original",  "kopie",      "copy",        "creditnota", "credit note", "pakbon",   "welkom",
        "welcome",   "rechnung",   "quittung",    "kassenbon", "kassenbeleg", "kundenbeleg", "beleg",
        "lieferschein", "gutschrift", "facture",  "avoir",     "ticket",      "recu",       "duplikat",
        "duplicaat", "duplicate",  "willkommen",  "bienvenue"};
    return kWords;
}

bool hasLegalForm(std::string_view line) {
    const auto parts = tokens(line);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string_view token = parts[i];
        while (!token.empty() && (token.back() == '.' || token.back() == ')')) token.remove_suffix(1);
        for (std::string_view form :
             {"b.v", "v.o.f", "n.v", "c.v", "ltd", "limited", "llc", "inc", "plc", "gmbh", "mbh", "ohg", "e.k",
              "gbr", "kgaa", "sarl", "s.a.r.l", "sas", "s.a.s", "s.a", "eurl", "snc", "bvba", "sprl", "srl",
              "s.r.l", "s.l", "holding"}) {
            if (token == form) return true;
        }
        // Two letters are a legal form only behind a name, never alone or behind a figure ("1 kg").
        const bool behindName = i > 0 && isLetters(parts[i - 1]);
        for (std::string_view form : {"bv", "nv", "ag", "kg", "ug", "vof"}) {
            if (token == form && behindName) return true;
        }
    }
    return false;
}

bool isOtherDate(std::string_view line) {
    return containsAny(line, {"verval", "due date", "uiterlijk", "pay before", "payable by", "geldig tot",
                          "valid until", "lever", "delivery", "fallig", "zahlbar bis", "zahlungsziel", "liefer",
                          "leistung", "gultig bis", "mhd", "echeance", "date limite", "livraison", "valable",
                          "expir", "ablauf", "zeitraum", "periode", "period"}) ||
           containsAnyWord(line, {"due", "bis"});
}

bool labelsDocumentDate(std::string_view line) {
    return containsAny(line, {"factuurdatum", "invoice date", "datum factuur", "date of issue", "issue date",
                          "rechnungsdatum", "belegdatum", "date de facture", "date facture", "date d'emission",
                          "date d emission", "bondatum"});
}

bool labelsDate(std::string_view line) {
    return containsAny(line, {"datum", "date"});
}

bool isColumnHeader(std::string_view line) {
    int hits = 0;
    for (std::string_view word :
         {"omschrijving", "description", "aantal", "qty", "quantity", "prijs", "price", "bedrag", "amount",
          "artikel", "product", "item", "bezeichnung", "beschreibung", "menge", "anzahl", "einzelpreis", "preis",
          "gesamtpreis", "betrag", "designation", "quantite", "qte", "prix", "montant", "stuks", "unit"}) {
        if (scanning::containsWord(line, word)) ++hits;
    }
    return hits >= 2;
}

bool isServiceInformation(std::string_view line) {
    return containsAnyWord(line, {"uhr", "tel", "tel.", "fax", "telefon", "phone", "iban", "bic", "blz", "kto", "konto",
                          "rekening", "account", "terminal", "trace", "vu-nr", "ta-nr", "bnr", "emv", "aid", "pan",
                          "payback", "punkte", "treuemarken", "spaarpunten", "openingstijden", "geopend",
                          "opening", "offnungszeiten", "geoffnet", "horaires"}) ||
           containsAny(line, {"genehmigung", "autorisier", "deutschlandcard", "mo.-sa", "mo-sa", "mo.-fr", "mo-fr",
                          "ma t/m", "ma-za", "kartennr"});
}

}  // namespace zelvorin::vocabulary
