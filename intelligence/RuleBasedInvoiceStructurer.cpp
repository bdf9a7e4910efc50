#include "intelligence/RuleBasedInvoiceStructurer.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "intelligence/AmountReconciliation.h"
#include "intelligence/TextScanning.h"

namespace zelvorin {
namespace {

using namespace scanning;

// The lines of one text, well-formed UTF-8 with misread digits repaired, and their lowered copies;
// lines are views into the text it owns (so it neither copies nor moves).
struct Text {
    std::string source;
    std::vector<std::string_view> lines;
    std::vector<std::string> lowered;

    explicit Text(std::string_view text)
        : source(repairedDigits(validUtf8(text))), lines(splitLines(source)) {
        lowered.reserve(lines.size());
        for (auto line : lines)
            lowered.push_back(lowerAscii(line));
    }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    std::size_t size() const { return lines.size(); }
};

bool hasAnyWord(std::string_view lowered, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(), [&](auto word) { return containsWord(lowered, word); });
}

bool hasAny(std::string_view lowered, std::initializer_list<std::string_view> parts) {
    return std::any_of(parts.begin(), parts.end(),
                       [&](auto part) { return lowered.find(part) != std::string_view::npos; });
}

// --- totals ---------------------------------------------------------------------------------------

bool isSubtotalLine(std::string_view l) {
    return hasAny(l, {"subtota", "sub-tota", "sub tota", "excl", "netto", "net amount", "totaal btw",
                      "btw totaal", "total vat", "vat total", "total tax", "tax total"});
}

// Strength of a total label on a lowered line: 0 for none.
int totalLabelStrength(std::string_view l) {
    if (isSubtotalLine(l)) return 0;
    if (hasAny(l, {"te betalen", "total due", "amount due", "balance due", "totaalbedrag", "total amount",
                   "grand total", "eindtotaal", "totaal incl", "total incl", "te voldoen"})) {
        return 3;
    }
    if (hasAnyWord(l, {"totaal", "total", "totaal:", "tot"})) return 2;
    if (hasAnyWord(
            l, {"pin", "pinnen", "contant", "betaald", "card", "paid", "maestro", "visa", "mastercard"})) {
        return 1;
    }
    return 0;
}

std::optional<std::int64_t> lastAmountOf(std::string_view line) {
    const auto amounts = findAmounts(line);
    if (amounts.empty()) return std::nullopt;
    return amounts.back().cents;
}

// The amount of a labelled line: on the line itself, or alone on the next one, where label and
// amount may land.
std::optional<std::int64_t> labelledAmount(const Text& text, std::size_t i) {
    auto amount = lastAmountOf(text.lines[i]);
    if (!amount && i + 1 < text.size() && countLetters(text.lines[i + 1]) <= 3)
        amount = lastAmountOf(text.lines[i + 1]);
    return amount;
}

std::vector<reconciling::LabelledTotal> findLabelledTotals(const Text& text) {
    std::vector<reconciling::LabelledTotal> totals;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int strength = totalLabelStrength(text.lowered[i]);
        if (strength == 0) continue;
        const auto amount = labelledAmount(text, i);
        if (amount && *amount > 0) totals.push_back({*amount, strength});
    }
    return totals;
}

std::optional<std::int64_t> findSubtotal(const Text& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (hasAny(text.lowered[i],
                   {"subtota", "sub-tota", "sub tota", "totaal excl", "total excl", "netto", "net amount"})) {
            if (auto amount = labelledAmount(text, i)) return amount;
        }
    }
    return std::nullopt;
}

// --- dates and numbers ----------------------------------------------------------------------------

std::optional<std::string> findInvoiceDate(const Text& text) {
    std::optional<std::string> labelled, anyDate;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& l = text.lowered[i];
        if (hasAny(l,
                   {"verval", "due date", "uiterlijk", "pay before", "geldig tot", "valid until", "lever"}))
            continue;
        auto date = findDate(text.lines[i]);
        if (!date && i + 1 < text.size() && hasAny(l, {"datum", "date"})) date = findDate(text.lines[i + 1]);
        if (!date) continue;
        if (hasAny(l, {"factuurdatum", "invoice date", "datum factuur", "date of issue", "issue date"}))
            return date;
        if (!labelled && hasAny(l, {"datum", "date"})) labelled = date;
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

constexpr std::string_view kNumberLabels[] = {
    "factuurnummer",  "factuurnr",  "factuur nr", "factuur-id", "factuur id",     "factuur #",  "factuur:",
    "invoice number", "invoice no", "invoice nr", "invoice #",  "invoice id",     "invoice:",   "bonnummer",
    "bon nr",         "bonnr",      "bon:",       "bon #",      "receipt number", "receipt no", "receipt #",
    "receipt:",       "ticket",     "transactie", "reference",  "referentie",     "kenmerk",    "nummer:"};

std::optional<std::string> findInvoiceNumber(const Text& text) {
    for (auto label : kNumberLabels) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto& l = text.lowered[i];
            if (hasAny(l, {"klant", "customer", "debiteur", "order", "btw", "vat", "kvk", "iban"})) continue;
            const auto at = l.find(label);
            if (at == std::string::npos) continue;
            auto number = identifierAfter(text.lines[i], at + label.size());
            if (!number && i + 1 < text.size()) number = identifierAfter(text.lines[i + 1], 0);
            if (number) return number;
        }
    }
    return std::nullopt;
}

// --- sender ---------------------------------------------------------------------------------------

bool isDutchPostcodeAt(std::string_view line, std::size_t at) {
    auto digit = [&](std::size_t i) { return i < line.size() && line[i] >= '0' && line[i] <= '9'; };
    auto upper = [&](std::size_t i) { return i < line.size() && line[i] >= 'A' && line[i] <= 'Z'; };
    if (at > 0 && (digit(at - 1) || upper(at - 1))) return false;
    if (!(digit(at) && digit(at + 1) && digit(at + 2) && digit(at + 3)) || line[at] == '0') return false;
    std::size_t i = at + 4;
    if (i < line.size() && line[i] == ' ') ++i;
    return upper(i) && upper(i + 1) &&
           !(i + 2 < line.size() && std::isalpha(static_cast<unsigned char>(line[i + 2])));
}

bool hasDutchPostcode(std::string_view line) {
    for (std::size_t i = 0; i + 6 <= line.size(); ++i) {
        if (isDutchPostcodeAt(line, i)) return true;
    }
    return false;
}

constexpr std::string_view kDocumentLabels[] = {
    "factuur", "invoice", "tax invoice", "kassabon",    "bon",    "receipt", "origineel", "original",
    "kopie",   "copy",    "creditnota",  "credit note", "pakbon", "welkom",  "welcome"};

// A line is metadata, not a name, when it carries contact details, identifiers or dates.
bool isMetaLine(std::string_view l) {
    return hasAny(l, {"@", "www.", "http", "tel", "kvk", "btw", "vat", "iban", "datum", "date",
                      "aan:", "to:", "factuurnummer", "invoice number", "---", "==="}) ||
           findDate(l).has_value();
}

// The line without a document label printed beside the name ("Brandwijk B.V.  FACTUUR").
std::string_view withoutDocumentLabel(std::string_view line, std::string_view lowered) {
    for (auto label : kDocumentLabels) {
        const auto at = findWord(lowered, label);
        if (at != std::string_view::npos && at > 0) return trim(line.substr(0, at));
    }
    return line;
}

bool isOnlyDocumentLabel(std::string_view lowered) {
    std::string rest(lowered);
    for (auto label : kDocumentLabels) {
        for (auto at = findWord(rest, label); at != std::string::npos; at = findWord(rest, label)) {
            rest.replace(at, label.size(), " ");
        }
    }
    return countLetters(rest) < 2;
}

bool hasLegalForm(std::string_view lowered) {
    return hasAny(lowered,
                  {"b.v.", " bv", "v.o.f.", " vof", "n.v.", " ltd", "gmbh", " inc", "holding", "b.v"});
}

// Legal forms are printed in capitals; recognition often lowers a letter of them or reads an O as
// a zero ("B.v.", "V.0.F."). The last word of a name is written as the form it stands for.
std::string withCanonicalLegalForm(std::string name) {
    const auto space = name.rfind(' ');
    if (space == std::string::npos) return name;
    std::string last = lowerAscii(std::string_view(name).substr(space + 1));
    for (char& c : last) {
        if (c == '0') c = 'o';
    }
    for (std::string_view form : {"b.v.", "v.o.f.", "n.v.", "c.v."}) {
        if (last == form || last + "." == form) {
            std::string upper(form.substr(0, last.size()));
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return name.substr(0, space + 1) + upper;
        }
    }
    return name;
}

struct Sender {
    std::optional<std::string> company;
    std::optional<std::string> address;
    std::size_t companyLine = 0;
};

Sender findSender(const Text& text) {
    Sender sender;
    std::optional<std::size_t> first, legal;
    const std::size_t top = std::min<std::size_t>(text.size(), 10);
    for (std::size_t i = 0; i < top; ++i) {
        const auto& l = text.lowered[i];
        if (isOnlyDocumentLabel(l) || isMetaLine(l) || hasDutchPostcode(text.lines[i])) continue;
        if (countLetters(withoutDocumentLabel(text.lines[i], l)) < 3 || !findAmounts(text.lines[i]).empty())
            continue;
        if (!first) first = i;
        if (!legal && hasLegalForm(l)) legal = i;
    }
    const auto chosen = legal ? legal : first;
    if (!chosen) return sender;
    sender.companyLine = *chosen;
    sender.company =
        withCanonicalLegalForm(std::string(withoutDocumentLabel(text.lines[*chosen], text.lowered[*chosen])));

    for (std::size_t i = *chosen + 1; i < std::min(text.size(), *chosen + 5); ++i) {
        if (!hasDutchPostcode(text.lines[i])) continue;
        std::string address;
        if (i > *chosen + 1 && !isMetaLine(text.lowered[i - 1]))
            address = std::string(text.lines[i - 1]) + ", ";
        sender.address = address + std::string(text.lines[i]);
        break;
    }
    return sender;
}

// --- VAT and chamber of commerce numbers ------------------------------------------------------------

// "NL" + 9 digits + "B" + 2 digits, allowing spaces and dots inside as printed.
std::optional<std::string> dutchVatNumberAt(std::string_view line, std::size_t at) {
    if (at + 2 > line.size() || (line[at] != 'N' && line[at] != 'n') ||
        (line[at + 1] != 'L' && line[at + 1] != 'l')) {
        return std::nullopt;
    }
    if (at > 0 && std::isalnum(static_cast<unsigned char>(line[at - 1]))) return std::nullopt;
    std::string number = "NL";
    std::size_t i = at + 2;
    int digits = 0;
    for (; i < line.size() && digits < 9; ++i) {
        if (line[i] >= '0' && line[i] <= '9') {
            number += line[i];
            ++digits;
        } else if (line[i] != ' ' && line[i] != '.') {
            break;
        }
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '.'))
        ++i;
    if (digits != 9 || i + 3 > line.size() || (line[i] != 'B' && line[i] != 'b')) return std::nullopt;
    if (!(std::isdigit(static_cast<unsigned char>(line[i + 1])) &&
          std::isdigit(static_cast<unsigned char>(line[i + 2])))) {
        return std::nullopt;
    }
    if (i + 3 < line.size() && std::isdigit(static_cast<unsigned char>(line[i + 3]))) return std::nullopt;
    return number + "B" + std::string(line.substr(i + 1, 2));
}

bool isCustomerLine(std::string_view lowered) {
    return hasAny(lowered, {"klant", "customer", "afnemer", "client", "aan:", "to:", "uw btw", "your vat"});
}

std::optional<std::string> findVatNumber(const Text& text) {
    std::optional<std::string> customers;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto line = text.lines[i];
        for (auto at = text.lowered[i].find("nl"); at != std::string::npos;
             at = text.lowered[i].find("nl", at + 1)) {
            auto number = dutchVatNumberAt(line, at);
            if (!number) continue;
            if (!isCustomerLine(text.lowered[i])) return number;
            if (!customers) customers = number;
        }
    }
    // A lone number printed next to the customer is still better than none only when nothing else
    // is on the page; it is more likely the customer's, so it is not taken.
    return std::nullopt;
}

std::optional<std::string> findKvkNumber(const Text& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& l = text.lowered[i];
        std::size_t at = std::string::npos;
        for (std::string_view label :
             {"kvk", "k.v.k", "kamer van koophandel", "coc", "chamber of commerce"}) {
            at = l.find(label);
            if (at != std::string::npos) {
                at += label.size();
                break;
            }
        }
        if (at == std::string::npos) continue;
        std::string digits;
        for (std::size_t j = at; j < l.size() && digits.size() < 9; ++j) {
            if (l[j] >= '0' && l[j] <= '9') {
                digits += l[j];
            } else if (!digits.empty() && l[j] != ' ' && l[j] != '.') {
                break;
            } else if (digits.empty() && std::isalpha(static_cast<unsigned char>(l[j])) && j > at + 12) {
                break;
            }
        }
        if (digits.size() == 8) return digits;
    }
    return std::nullopt;
}

// --- currency and country --------------------------------------------------------------------------

std::string findCurrency(const Text& text) {
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

std::optional<std::string> findCountry(const Text& text, const Sender& sender,
                                       const std::optional<std::string>& vat) {
    if (sender.address && hasDutchPostcode(*sender.address)) return "NL";
    if (vat) return vat->substr(0, 2);
    const std::size_t end = std::min(text.size(), sender.companyLine + 6);
    for (std::size_t i = sender.companyLine; i < end; ++i) {
        const auto& l = text.lowered[i];
        if (hasAnyWord(l, {"nederland", "netherlands", "the netherlands"})) return "NL";
        if (hasAny(l, {"belgi", "belgium"})) return "BE";
        if (hasAnyWord(l, {"deutschland", "germany", "duitsland"})) return "DE";
    }
    return std::nullopt;
}

bool looksLikeInvoice(const Text& text, bool hasTotal) {
    bool cue = hasTotal;
    for (const auto& l : text.lowered) {
        if (hasAny(l, {"factuur", "invoice", "kassabon", "receipt", "te betalen", "total due", "btw", "vat",
                       "bonnr"}) ||
            hasAnyWord(l, {"bon", "totaal", "total"})) {
            cue = true;
        }
        if (hasAny(l, {"polisblad", "verzekeringspolis", "insurance policy", "geheimhouding",
                       "non-disclosure", "nieuwsbrief", "newsletter"})) {
            return false;
        }
    }
    return cue;
}

// --- lines and VAT ---------------------------------------------------------------------------------

bool isHeaderRow(std::string_view l) {
    int hits = 0;
    for (std::string_view word : {"omschrijving", "description", "aantal", "qty", "quantity", "prijs",
                                  "price", "bedrag", "amount", "artikel", "product", "item"}) {
        if (containsWord(l, word)) ++hits;
    }
    return hits >= 2;
}

bool endsItems(std::string_view l) {
    return totalLabelStrength(l) > 0 || isSubtotalLine(l) || hasAnyWord(l, {"btw", "vat", "b.t.w.", "tax"});
}

bool isNotAnItem(std::string_view l) {
    return isMetaLine(l) || hasAny(l, {"wisselgeld", "change", "retour", "korting totaal", "spaarpunten",
                                       "transactie", "terminal", "rekening", "account"});
}

// A number with an optional decimal comma or point, such as a quantity: "2", "2,5", "1.25".
std::optional<double> parseQuantity(std::string_view token) {
    double value = 0, scale = 0;
    bool digits = false;
    for (char c : token) {
        if (c >= '0' && c <= '9') {
            digits = true;
            if (scale == 0) {
                value = value * 10 + (c - '0');
            } else {
                value += (c - '0') * scale;
                scale /= 10;
            }
            if (value > 1e6) return std::nullopt;
        } else if ((c == ',' || c == '.') && scale == 0) {
            scale = 0.1;
        } else {
            return std::nullopt;
        }
    }
    return digits ? std::optional<double>(value) : std::nullopt;
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

std::optional<GenerableLineItem> readItem(std::string_view line) {
    const auto amounts = findAmounts(line);
    if (amounts.empty()) return std::nullopt;
    GenerableLineItem item;
    item.amount = static_cast<double>(amounts.back().cents) / 100.0;
    if (amounts.size() >= 2) item.unitPrice = static_cast<double>(amounts[amounts.size() - 2].cents) / 100.0;

    // Words before the first amount: an optional "2 x" or "2x" in front, then the description,
    // then perhaps a quantity column or "2 x" just before the price.
    const auto head = words(line.substr(0, amounts.front().begin));
    std::size_t from = 0, to = head.size();
    auto quantityWord = [](std::string_view w) {
        if (w.size() > 1 && (w.back() == 'x' || w.back() == 'X')) w.remove_suffix(1);
        return parseQuantity(w);
    };
    auto isTimes = [](std::string_view w) { return w == "x" || w == "X" || w == "\xC3\x97"; };
    if (to >= 2 && isTimes(head[1]) && parseQuantity(head[0])) {
        item.quantity = parseQuantity(head[0]);
        from = 2;
    } else if (to >= 1 && head[0].size() > 1 && (head[0].back() == 'x' || head[0].back() == 'X') &&
               quantityWord(head[0])) {
        item.quantity = quantityWord(head[0]);
        from = 1;
    }
    if (to > from && isTimes(head[to - 1])) --to;
    if (to > from + 1 && !item.quantity) {
        if (auto q = quantityWord(head[to - 1])) {
            item.quantity = q;
            --to;
        }
    }
    if (to > from && (head[to - 1] == "\xE2\x82\xAC" || head[to - 1] == "EUR")) --to;
    std::string description;
    for (std::size_t i = from; i < to; ++i)
        description += (description.empty() ? "" : " ") + std::string(head[i]);
    if (countLetters(description) < 2) return std::nullopt;
    item.description = std::move(description);
    if (item.unitPrice && !item.quantity && item.unitPrice != 0) {
        const double q = item.amount / *item.unitPrice;
        if (q >= 1 && std::abs(q - std::round(q)) < 1e-6) item.quantity = std::round(q);
    }
    return item;
}

std::vector<GenerableLineItem> findItems(const Text& text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHeaderRow(text.lowered[i])) {
            start = i + 1;
            break;
        }
    }
    std::vector<GenerableLineItem> items;
    for (std::size_t i = start; i < text.size() && items.size() < GenerableInvoiceLines::maxLines; ++i) {
        const auto& l = text.lowered[i];
        if (endsItems(l)) {
            if (!items.empty() || start > 0) break;
            continue;
        }
        if (isNotAnItem(l)) continue;
        if (auto item = readItem(text.lines[i])) items.push_back(std::move(*item));
    }
    return items;
}

// The VAT amount of a row: of the amounts printed, the one that is `rate` of another (net or
// gross); otherwise the only or the last one.
double vatAmountOf(const std::vector<AmountToken>& amounts, double rate) {
    for (const auto& vat : amounts) {
        for (const auto& base : amounts) {
            if (&vat == &base || base.cents == 0) continue;
            const double v = static_cast<double>(vat.cents), b = static_cast<double>(base.cents);
            const double slack = std::max(2.0, 0.01 * v);
            if (std::abs(v - b * rate / 100.0) <= slack || std::abs(v - b * rate / (100.0 + rate)) <= slack)
                return v / 100.0;
        }
    }
    return static_cast<double>(amounts.back().cents) / 100.0;
}

std::vector<reconciling::VatRow> findVatRows(const Text& text) {
    std::vector<reconciling::VatRow> rows;
    auto add = [&](std::optional<double> rate, const std::vector<AmountToken>& amounts) {
        reconciling::VatRow row{rate, {}, 0};
        for (const auto& amount : amounts)
            row.amounts.push_back(amount.cents);
        if (!amounts.empty()) row.vat = std::llround(vatAmountOf(amounts, rate.value_or(0)) * 100);
        const bool seen = std::any_of(rows.begin(), rows.end(),
                                      [&](const auto& r) { return r.rate == row.rate && r.vat == row.vat; });
        if (!seen && rows.size() < GenerableInvoiceLines::maxVatItems) rows.push_back(std::move(row));
    };
    bool inTable = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& l = text.lowered[i];
        const bool vatWord =
            hasAnyWord(l, {"btw", "vat", "b.t.w.", "tax", "btw%", "vat%"}) || hasAny(l, {"btw%", "vat%"});
        if (hasAny(l, {"verlegd", "reverse charge", "reverse-charge", "reverse charged", "vat exempt"})) {
            add(0.0, {});
            continue;
        }
        const auto rates = findRates(text.lines[i]);
        const auto amounts = findAmounts(text.lines[i]);
        if (vatWord && amounts.empty() &&
            (rates.empty() || hasAny(l, {"over", "excl", "net", "grondslag", "basis"}))) {
            inTable = true;  // a table header: its rows carry only a rate and amounts
            continue;
        }
        // A table row whose rate did not come through ("% 47,06 4,24"): the amounts tell it.
        if (inTable && rates.empty() && amounts.size() >= 2 && !vatWord && totalLabelStrength(l) == 0) {
            std::vector<std::int64_t> cents;
            for (const auto& amount : amounts)
                cents.push_back(amount.cents);
            if (const auto rate = reconciling::impliedRate(cents)) {
                add(rate, amounts);
                continue;
            }
        }
        if (rates.empty() || amounts.empty() || !(vatWord || inTable)) {
            if (!rates.empty() || !amounts.empty()) inTable = inTable && !rates.empty();
            continue;
        }
        if (hasAny(l, {"btw-nr", "btw nr", "btw nummer", "vat number", "vat no", "btw-id"})) continue;
        add(rates.front().rate, amounts);
    }
    return rows;
}

std::int64_t sumOfItems(const std::vector<GenerableLineItem>& items) {
    std::int64_t sum = 0;
    for (const auto& item : items)
        sum += std::llround(item.amount * 100);
    return sum;
}

// Everything the text says about its money, read once for the three answers.
struct Money {
    std::vector<GenerableLineItem> items;
    reconciling::AmountEvidence evidence;
    std::optional<std::int64_t> total;

    explicit Money(const Text& text) : items(findItems(text)) {
        evidence.totals = findLabelledTotals(text);
        evidence.subtotal = findSubtotal(text);
        if (!items.empty()) evidence.lineSum = sumOfItems(items);
        evidence.vatRows = findVatRows(text);
        total = reconciling::chooseTotal(evidence);
    }

    std::optional<double> totalEuros() const {
        return total ? std::optional<double>(static_cast<double>(*total) / 100.0) : std::nullopt;
    }

    std::vector<GenerableVatItem> vat() const {
        const auto amounts = reconciling::checkedVat(evidence, total);
        std::vector<GenerableVatItem> out;
        for (std::size_t i = 0; i < evidence.vatRows.size(); ++i)
            out.push_back({evidence.vatRows[i].rate.value_or(0), static_cast<double>(amounts[i]) / 100.0});
        return out;
    }
};

}  // namespace

GenerableInvoiceTotal RuleBasedInvoiceStructurer::readTotal(const std::string& ocrText) {
    const Text text(ocrText);
    return {Money(text).totalEuros()};
}

GenerableInvoiceBase RuleBasedInvoiceStructurer::readBase(const std::string& ocrText) {
    const Text text(ocrText);
    GenerableInvoiceBase base;
    const Sender sender = findSender(text);
    base.totalAmount = Money(text).totalEuros();
    base.isInvoice = looksLikeInvoice(text, base.totalAmount.has_value());
    base.senderCompany = sender.company;
    base.senderAddress = sender.address;
    base.senderVatNumber = findVatNumber(text);
    base.senderKvkNumber = findKvkNumber(text);
    base.senderCountry = findCountry(text, sender, base.senderVatNumber);
    base.currency = findCurrency(text);
    base.invoiceDate = findInvoiceDate(text);
    base.invoiceNumber = findInvoiceNumber(text);
    return base;
}

GenerableInvoiceLines RuleBasedInvoiceStructurer::readLines(const std::string& ocrText) {
    const Text text(ocrText);
    Money money(text);
    return {std::move(money.items), money.vat()};
}

ExtractedInvoiceData RuleBasedInvoiceStructurer::structure(const std::string& ocrText) const {
    return mergeAnswers(readBase(ocrText), readLines(ocrText), readTotal(ocrText));
}

}  // namespace zelvorin
