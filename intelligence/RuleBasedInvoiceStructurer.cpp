#include "intelligence/RuleBasedInvoiceStructurer.h"

#include <algorithm>
#include <string_view>

#include "intelligence/MoneyReading.h"
#include "intelligence/ReceiptText.h"
#include "intelligence/ReceiptVocabulary.h"
#include "intelligence/SenderReading.h"
#include "intelligence/TextScanning.h"

namespace zelvorin {
namespace {

using namespace scanning;
namespace vocab = vocabulary;

// --- dates and numbers ----------------------------------------------------------------------------

// The document's own date: one its label names, else one labelled "Datum" or "Date", else the first
// date printed. Due dates, delivery dates and validity are never it.
std::optional<std::string> findInvoiceDate(const ReceiptText& text, bool monthFirst) {
    std::optional<std::string> labelled, anyDate;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& f = text.folded[i];
        if (vocab::isOtherDate(f)) continue;
        auto date = findDate(f, monthFirst);
        if (!date && i + 1 < text.size() && vocab::labelsDate(f) && !vocab::isOtherDate(text.folded[i + 1]))
            date = findDate(text.folded[i + 1], monthFirst);
        if (!date) continue;
        if (vocab::labelsDocumentDate(f)) return date;
        if (!labelled && vocab::labelsDate(f)) labelled = date;
        if (!anyDate) anyDate = date;
    }
    return labelled ? labelled : anyDate;
}

bool isIdentifierChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
           c == '/' || c == '_' || c == '.';
}

// The identifier after a label: separators skipped, then letters, digits and - / _ . with at
// least one digit.
std::optional<std::string> identifierAfter(std::string_view line, std::size_t at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == ':' || line[at] == '#' || line[at] == '.'))
        ++at;
    std::size_t end = at;
    while (end < line.size() && isIdentifierChar(line[end]))
        ++end;
    std::string_view token = line.substr(at, end - at);
    while (!token.empty() && (token.back() == '.' || token.back() == '-'))
        token.remove_suffix(1);
    if (token.empty() || token.size() > 40 || token.find_first_of("0123456789") == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(token);
}

// In order of preference, as the lowered line has them (ASCII lowered, accents kept).
constexpr std::string_view kNumberLabels[] = {
    // clang-format off
    "factuurnummer", "factuurnr", "factuur nr", "factuur-id", "factuur id", "factuur #", "factuur:",
    "invoice number", "invoice no", "invoice nr", "invoice #", "invoice id", "invoice:",
    "rechnungsnummer", "rechnungs-nr", "rechnung nr", "rechnungsnr", "rechnung:",
    "num\xC3\xA9ro de facture", "n\xC2\xB0 de facture", "facture n\xC2\xB0", "facture no", "facture:",
    "bonnummer", "bon nr", "bonnr", "bon-nr", "bon:", "bon #", "belegnummer", "beleg-nr", "belegnr",
    "receipt number", "receipt no", "receipt #", "receipt:", "ticket", "transactie", "reference",
    "referentie", "kenmerk", "nummer:",
    // clang-format on
};

std::optional<std::string> findInvoiceNumber(const ReceiptText& text) {
    for (auto label : kNumberLabels) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto& l = text.lowered[i];
            const auto& f = text.folded[i];
            if (containsAny(f, {"klant", "customer", "debiteur", "order", "kunde", "client", "auftrag",
                                "commande", "iban"}) ||
                vocab::mentionsVat(f) || vocab::namesRegistration(f)) {
                continue;
            }
            // Labels are ASCII, so the lowered line, which keeps the line's offsets, finds them.
            const auto at = l.find(label);
            if (at == std::string::npos) continue;
            auto number = identifierAfter(text.lines[i], at + label.size());
            if (!number && i + 1 < text.size()) number = identifierAfter(text.lines[i + 1], 0);
            if (number) return number;
        }
    }
    return std::nullopt;
}

// --- currency and country --------------------------------------------------------------------------

std::string findCurrency(const ReceiptText& text) {
    static constexpr std::pair<std::string_view, std::string_view> kMarks[] = {
        {"\xE2\x82\xAC", "EUR"}, {"eur", "EUR"}, {"usd", "USD"}, {"$", "USD"},
        {"\xC2\xA3", "GBP"},     {"gbp", "GBP"}, {"chf", "CHF"}, {"sek", "SEK"},
        {"dkk", "DKK"},          {"nok", "NOK"}, {"pln", "PLN"}};
    for (const auto& lowered : text.lowered) {
        for (const auto& [mark, code] : kMarks) {
            const bool symbol = !std::isalpha(static_cast<unsigned char>(mark[0]));
            if (symbol ? lowered.find(mark) != std::string::npos : containsWord(lowered, mark))
                return std::string(code);
        }
    }
    return "EUR";
}

bool looksLikeInvoice(const ReceiptText& text, bool hasTotal) {
    bool cue = hasTotal;
    for (const auto& f : text.folded) {
        if (containsAny(f, {"factuur", "invoice", "kassabon", "receipt", "rechnung", "quittung", "kassenbon",
                            "facture", "bonnr"}) ||
            vocab::totalLabel(f) != vocab::TotalLabel::none || vocab::mentionsVat(f) ||
            containsWord(f, "bon")) {
            cue = true;
        }
        if (containsAny(f, {"polisblad", "verzekeringspolis", "insurance policy", "versicherungsschein",
                            "geheimhouding", "non-disclosure", "nieuwsbrief", "newsletter"})) {
            return false;
        }
    }
    return cue;
}

}  // namespace

GenerableInvoiceTotal RuleBasedInvoiceStructurer::readTotal(const std::string& ocrText) {
    const ReceiptText text(ocrText);
    return {MoneyReading(text).totalEuros()};
}

GenerableInvoiceBase RuleBasedInvoiceStructurer::readBase(const std::string& ocrText) {
    const ReceiptText text(ocrText);
    GenerableInvoiceBase base;
    SenderFields sender = readSender(text);
    base.totalAmount = MoneyReading(text).totalEuros();
    base.isInvoice = looksLikeInvoice(text, base.totalAmount.has_value());
    base.senderCompany = std::move(sender.company);
    base.senderAddress = std::move(sender.address);
    base.senderVatNumber = std::move(sender.vatNumber);
    base.senderKvkNumber = std::move(sender.kvkNumber);
    base.senderCountry = std::move(sender.country);
    base.currency = findCurrency(text);
    // Documents in dollars write their dates month first.
    base.invoiceDate = findInvoiceDate(text, base.currency == "USD");
    base.invoiceNumber = findInvoiceNumber(text);
    return base;
}

GenerableInvoiceLines RuleBasedInvoiceStructurer::readLines(const std::string& ocrText) {
    const ReceiptText text(ocrText);
    MoneyReading money(text);
    return {std::move(money.items), money.vat()};
}

ExtractedInvoiceData RuleBasedInvoiceStructurer::structure(const std::string& ocrText) const {
    return mergeAnswers(readBase(ocrText), readLines(ocrText), readTotal(ocrText));
}

}  // namespace zelvorin
