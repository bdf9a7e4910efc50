#include "intelligence/SenderReading.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "intelligence/ReceiptVocabulary.h"
#include "intelligence/TextScanning.h"

namespace zelvorin {
namespace {

using namespace scanning;
namespace vocab = vocabulary;

// The sender prints its name at the top; a name further down is looked for only when there is none.
constexpr std::size_t kTopLines = 12;
// A customer's block runs this many lines below its label at most.
constexpr std::size_t kCustomerBlockLines = 4;

bool isDigitAt(std::string_view line, std::size_t i) {
    return i < line.size() && line[i] >= '0' && line[i] <= '9';
}
bool isUpperAt(std::string_view line, std::size_t i) {
    return i < line.size() && line[i] >= 'A' && line[i] <= 'Z';
}

bool isDutchPostcodeAt(std::string_view line, std::size_t at) {
    if (at > 0 && (isDigitAt(line, at - 1) || isUpperAt(line, at - 1))) return false;
    if (!(isDigitAt(line, at) && isDigitAt(line, at + 1) && isDigitAt(line, at + 2) &&
          isDigitAt(line, at + 3)) ||
        line[at] == '0') {
        return false;
    }
    std::size_t i = at + 4;
    if (i < line.size() && line[i] == ' ') ++i;
    return isUpperAt(line, i) && isUpperAt(line, i + 1) &&
           !(i + 2 < line.size() && std::isalpha(static_cast<unsigned char>(line[i + 2])));
}

// Five digits and a place name: "33100 Paderborn", "D-33100 Paderborn", "75008 Paris".
bool isFiveDigitPostcodeAt(std::string_view line, std::size_t at) {
    if (at > 0 && (isDigitAt(line, at - 1) || line[at - 1] == ',' || line[at - 1] == '.')) return false;
    for (std::size_t k = 0; k < 5; ++k) {
        if (!isDigitAt(line, at + k)) return false;
    }
    std::size_t i = at + 5;
    if (i >= line.size() || line[i] != ' ') return false;
    while (i < line.size() && line[i] == ' ')
        ++i;
    return isUpperAt(line, i) || (i < line.size() && static_cast<unsigned char>(line[i]) == 0xC3);
}

bool hasPostcode(std::string_view line) {
    for (std::size_t i = 0; i + 6 <= line.size(); ++i) {
        if (isDutchPostcodeAt(line, i) || isFiveDigitPostcodeAt(line, i)) return true;
    }
    return false;
}

bool hasDutchPostcode(std::string_view line) {
    for (std::size_t i = 0; i + 6 <= line.size(); ++i) {
        if (isDutchPostcodeAt(line, i)) return true;
    }
    return false;
}

// A street and house number: "Keizersgracht 221", "Pohlweg 110", "Detmolder Str. 4", "12 rue de Rivoli".
bool isStreetLine(std::string_view folded) {
    static constexpr std::string_view kStreets[] = {
        "straat",   "str.",  "strasse", "weg",       "laan", "plein",  "gracht", "kade", "dijk",
        "singel",   "markt", "allee",   "platz",     "ring", "gasse",  "damm",   "ufer", "chaussee",
        "steenweg", "rue ",  "avenue",  "boulevard", "road", "street", "lane",   "drive"};
    bool street = false;
    for (auto word : kStreets)
        street = street || folded.find(word) != std::string_view::npos;
    if (!street) return false;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (isDigitAt(folded, i) && (i == 0 || !std::isalnum(static_cast<unsigned char>(folded[i - 1]))))
            return true;
    }
    return false;
}

// Ends in a house number: "Warburger Straße 130", "Hoofdstraat 12a".
bool endsInHouseNumber(std::string_view line) {
    const auto space = line.rfind(' ');
    if (space == std::string_view::npos || space == 0) return false;
    const auto number = line.substr(space + 1);
    std::size_t digits = 0;
    while (digits < number.size() && isDigitAt(number, digits))
        ++digits;
    return digits >= 1 && digits <= 4 && number.size() - digits <= 2 &&
           countLetters(line.substr(0, space)) >= 4;
}

// A street line, a postcode line, or a line ending in a house number right above a postcode line
// (street names that recognition garbles, "Warburger StraBe 130").
bool isAddressLine(const ReceiptText& text, std::size_t i) {
    if (hasPostcode(text.lines[i]) || isStreetLine(text.folded[i])) return true;
    return i + 1 < text.size() && hasPostcode(text.lines[i + 1]) && endsInHouseNumber(text.lines[i]);
}

// A line is metadata, not a name, when it carries contact details, identifiers, dates or only a
// currency (the head of a column of amounts).
bool isMetaLine(std::string_view folded) {
    const auto bare = trim(folded);
    return bare == "eur" || bare == "euro" || bare == "usd" || bare == "gbp" || bare == "chf" ||
           containsAny(folded, {"@", "www.", "http", ".com", ".nl", ".de", "iban", "---", "===", "***"}) ||
           vocab::namesRegistration(folded) || vocab::labelsDate(folded) ||
           vocab::isServiceInformation(folded) || vocab::opensCustomerBlock(folded) ||
           vocab::mentionsVat(folded) ||
           containsAny(folded, {"factuurnummer", "invoice number", "rechnungsnummer", "kundennummer",
                                "klantnummer"}) ||
           findDate(folded).has_value();
}

// The line without a document label printed beside the name ("Brandwijk B.V.  FACTUUR"). The label
// is found on the lowered line, whose offsets are the line's.
std::string_view withoutDocumentLabel(std::string_view line, std::string_view lowered) {
    for (auto word : vocab::documentWords()) {
        const auto at = findWord(lowered, word);
        if (at != std::string_view::npos && at > 0) return trim(line.substr(0, at));
    }
    return line;
}

// Nothing but document labels ("FACTUUR", "Kassenbon  Original"): fewer than two letters outside them.
bool isOnlyDocumentLabel(std::string_view folded) {
    std::vector<bool> label(folded.size(), false);
    for (auto word : vocab::documentWords()) {
        for (auto at = findWord(folded, word); at != std::string_view::npos;
             at = findWord(folded, word, at + 1))
            std::fill(label.begin() + static_cast<long>(at),
                      label.begin() + static_cast<long>(at + word.size()), true);
    }
    std::string rest;
    for (std::size_t i = 0; i < folded.size(); ++i)
        rest += label[i] ? ' ' : folded[i];
    return countLetters(rest) < 2;
}

// Mostly letters, with a word of three letters or more: recognition of a logo or a stamp gives
// runs of signs and single letters instead.
bool readsAsName(std::string_view line) {
    std::size_t letters = 0, others = 0, run = 0, longest = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        const bool letter = std::isalpha(c) || c >= 0xC3;
        if (c >= 0x80 && c < 0xC0) continue;  // the rest of a UTF-8 letter
        if (letter) {
            ++letters;
            longest = std::max(longest, ++run);
        } else {
            run = 0;
            if (c != ' ' && c != '-' && c != '&' && c != '.' && c != '\'') ++others;
        }
    }
    return letters >= 3 && longest >= 3 && others * 3 <= letters;
}

// Legal forms are printed in capitals with a dot after each letter; recognition often lowers a
// letter, reads an O as a zero or loses the last dot ("B.v.", "V.0.F", "n.v"). The last word of a
// name is written as the form it stands for.
std::string withCanonicalLegalForm(std::string name) {
    const auto space = name.rfind(' ');
    if (space == std::string::npos) return name;
    std::string last = lowerAscii(std::string_view(name).substr(space + 1));
    for (char& c : last) {
        if (c == '0') c = 'o';
    }
    for (std::string_view form : {"b.v.", "v.o.f.", "n.v.", "c.v."}) {
        if (last == form || last + "." == form) {
            std::string upper(form);
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return name.substr(0, space + 1) + upper;
        }
    }
    return name;
}

// The parts of a letterhead or a row of columns: "Muster GmbH · Hauptstr. 1 · 12345 Berlin",
// "Aldi GmbH & Co. KG, Schloß Holte", "De Vries Media B.V.      Brandwijk B.V.".
std::vector<std::string_view> partsOf(std::string_view line) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        std::size_t separator = 0;
        if (i == line.size() || line[i] == ',' || line[i] == '|') {
            separator = 1;
        } else if (line.substr(i, 2) == "\xC2\xB7") {
            separator = 2;
        } else if (line.substr(i, 2) == "  ") {
            separator = line.find_first_not_of(' ', i) == std::string_view::npos
                            ? line.size() - i
                            : line.find_first_not_of(' ', i) - i;
        }
        if (separator == 0) continue;
        if (const auto part = trim(line.substr(start, i - start)); !part.empty()) parts.push_back(part);
        start = i + separator;
        i = start - 1;
    }
    return parts;
}

// Lines of the customer's block: its label and the lines below it, down to the postcode line that
// ends an address, unless something else begins first.
std::vector<bool> customerLines(const ReceiptText& text) {
    std::vector<bool> customer(text.size(), false);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!vocab::opensCustomerBlock(text.folded[i])) continue;
        customer[i] = true;
        if (hasPostcode(text.lines[i])) continue;  // the whole address beside its label
        for (std::size_t k = i + 1; k < std::min(text.size(), i + 1 + kCustomerBlockLines); ++k) {
            const auto& f = text.folded[k];
            if (!findAmounts(text.lines[k]).empty() || findDate(f) || vocab::labelsDate(f) ||
                f.find("nummer") != std::string::npos || f.find("number") != std::string::npos) {
                break;
            }
            customer[k] = true;
            if (hasPostcode(text.lines[k])) {
                // The customer's VAT number is printed right under the customer's address.
                if (k + 1 < text.size() && vocab::namesRegistration(text.folded[k + 1]))
                    customer[k + 1] = true;
                break;
            }
        }
    }
    return customer;
}

// The name a web or e-mail domain gives: "www.marktkauf-lehr.de" reads "Marktkauf-lehr".
// Recognition puts spaces into domains ("www. roller .de"); they are taken out first.
std::optional<std::string> domainName(std::string_view folded) {
    std::string line;
    for (char c : folded) {
        if (c != ' ') line += c;
    }
    std::size_t at = line.find("www.");
    if (at != std::string::npos) {
        at += 4;
    } else if ((at = line.find('@')) != std::string::npos) {
        ++at;
    } else {
        return std::nullopt;
    }
    std::size_t end = at;
    while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '-'))
        ++end;
    if (end >= line.size() || line[end] != '.' || end - at < 3) return std::nullopt;
    std::string name = line.substr(at, end - at);
    for (std::string_view common :
         {"gmail", "hotmail", "outlook", "yahoo", "icloud", "live", "gmx", "web", "t-online", "ziggo",
          "kpnmail", "xs4all", "ingenico", "paypal", "google"}) {
        if (name == common) return std::nullopt;
    }
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

std::string squeezed(std::string_view folded) {
    std::string out;
    for (char c : folded) {
        if (std::isalnum(static_cast<unsigned char>(c))) out += c;
    }
    return out;
}

// The name line and the domain name the same: "Café Het Anker" and "hetanker", or a word of four
// letters or more of the name in the domain ("Marktkauf Lehr" and "marktkauf-lehr").
bool agreesWithDomain(std::string_view folded, const std::string& domain) {
    const std::string name = squeezed(folded), site = squeezed(vocab::folded(domain));
    if (name.size() < 3 || site.size() < 3) return false;
    if (name.find(site) != std::string::npos || site.find(name) != std::string::npos) return true;
    std::size_t i = 0;
    while (i < folded.size()) {
        std::size_t end = i;
        while (end < folded.size() && std::isalpha(static_cast<unsigned char>(folded[end])))
            ++end;
        if (end - i >= 4 && site.find(folded.substr(i, end - i)) != std::string::npos) return true;
        i = end + 1;
    }
    return false;
}

struct Sender {
    std::optional<std::string> company;
    std::optional<std::string> address;
    std::size_t companyLine = 0;
};

bool isCustomerLine(std::string_view folded);

// A company name with a legal form, and how well the page vouches for it as the sender's.
struct LegalName {
    std::size_t line = 0;
    std::string name;
    int score = 0;
};

// The names with a legal form outside the customer's block. An invoice may name its customer's
// company without a label (the address block of a letter); the sender's name is the one printed
// twice (letterhead and foot), beside the registration numbers, or at the top.
std::vector<LegalName> legalNames(const ReceiptText& text, const std::vector<bool>& customer,
                                  std::size_t top) {
    std::vector<LegalName> names;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& f = text.folded[i];
        if (customer[i] || !vocab::hasLegalForm(f) || !findAmounts(text.lines[i]).empty() ||
            containsAny(f, {"datenverarbeitung", "payment", "zahlungs", "acquir", "netzbetreiber"})) {
            continue;
        }
        for (const auto name : partsOf(withoutDocumentLabel(text.lines[i], text.lowered[i]))) {
            const auto foldedName = vocab::folded(name);
            // A legal form read out of noise ("Artikel 50261429 102.2. SARL") names no one.
            if (vocab::namesRegistration(foldedName) || !vocab::hasLegalForm(foldedName) ||
                !readsAsName(name))
                continue;
            names.push_back({i, std::string(name), i < top ? 1 : 0});
        }
    }
    for (auto& candidate : names) {
        const auto key = squeezed(vocab::folded(candidate.name));
        const bool repeated = std::count_if(names.begin(), names.end(), [&](const LegalName& other) {
                                  return squeezed(vocab::folded(other.name)) == key;
                              }) > 1;
        bool registered = false;
        const std::size_t from = candidate.line >= 2 ? candidate.line - 2 : 0;
        for (std::size_t k = from; k < std::min(text.size(), candidate.line + 3); ++k) {
            const auto& f = text.folded[k];
            registered =
                registered || ((vocab::namesRegistration(f) ||
                                containsAny(f, {"iban", "geschaftsfuhr", "directeur", "bankverbindung"})) &&
                               !isCustomerLine(f) && !customer[k]);
        }
        candidate.score += 2 * int{repeated} + 2 * int{registered};
    }
    return names;
}

// A heading printed with its letters spaced out ("A L D I") as the word it spells.
std::string despaced(std::string_view line) {
    std::string word;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const bool letter = std::isalpha(static_cast<unsigned char>(line[i]));
        const bool alone = (i == 0 || line[i - 1] == ' ') && (i + 1 == line.size() || line[i + 1] == ' ');
        if (letter && alone) {
            word += line[i];
        } else if (line[i] != ' ') {
            return std::string(line);
        }
    }
    return word.size() >= 3 ? word : std::string(line);
}

// Where the name comes from, in order: a legal-form line at the top; a name line at the top that
// the web or e-mail domain bears out; a name line at the top that names a kind of shop; a
// legal-form line further down (receipts print the company at the foot); the name line above the
// address; the first name line; the domain itself.
Sender findSender(const ReceiptText& text, const std::vector<bool>& customer) {
    Sender sender;
    // The sender's block ends where the items begin.
    std::size_t top = std::min(text.size(), kTopLines);
    for (std::size_t i = 0; i < top; ++i) {
        if (vocab::isColumnHeader(text.folded[i]) || !findAmounts(text.lines[i]).empty()) top = i;
    }
    std::vector<std::string> domains;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (customer[i]) continue;
        if (auto domain = domainName(text.folded[i])) domains.push_back(std::move(*domain));
    }
    std::optional<std::size_t> first, aboveAddress, matchesDomain, trade;
    for (std::size_t i = 0; i < top; ++i) {
        const auto& f = text.folded[i];
        const bool candidate = !customer[i] && !isOnlyDocumentLabel(f) && !isMetaLine(f) &&
                               f.find(':') == std::string::npos && !isAddressLine(text, i) &&
                               findAmounts(text.lines[i]).empty() &&
                               readsAsName(despaced(withoutDocumentLabel(text.lines[i], text.lowered[i])));
        if (!candidate) continue;
        if (!first) first = i;
        for (const auto& domain : domains) {
            if (!matchesDomain && agreesWithDomain(f, domain)) matchesDomain = i;
        }
        if (!aboveAddress && i + 1 < text.size() && isAddressLine(text, i + 1)) aboveAddress = i;
        if (!trade && vocab::namesTrade(f)) trade = i;
    }

    const auto names = legalNames(text, customer, top);
    const auto best = std::max_element(names.begin(), names.end(), [](const auto& a, const auto& b) {
        return a.score < b.score;  // of equals, the first
    });
    std::optional<std::size_t> chosen;
    if (best != names.end() && best->score > 0) {
        chosen = best->line;
    } else if (matchesDomain) {
        chosen = matchesDomain;
    } else if (trade) {
        chosen = trade;  // the shop's name above its owner's, or below a slogan
    } else if (best != names.end()) {
        chosen = best->line;  // a name at the foot of a receipt
    }
    if (chosen && best != names.end() && *chosen == best->line) {
        sender.company = best->name;
    } else if (chosen || (chosen = aboveAddress ? aboveAddress : first)) {
        sender.company = despaced(withoutDocumentLabel(text.lines[*chosen], text.lowered[*chosen]));
    } else if (!domains.empty()) {
        sender.company = domains.front();
    }
    if (!sender.company) return sender;
    sender.company = withCanonicalLegalForm(std::move(*sender.company));
    if (!chosen) return sender;
    sender.companyLine = *chosen;

    for (std::size_t i = *chosen + 1; i < std::min(text.size(), *chosen + 5); ++i) {
        if (customer[i] || !hasPostcode(text.lines[i])) continue;
        std::string address;
        if (i > *chosen + 1 && !isMetaLine(text.folded[i - 1]) && !customer[i - 1])
            address = std::string(text.lines[i - 1]) + ", ";
        sender.address = address + std::string(text.lines[i]);
        break;
    }
    return sender;
}

// --- VAT and chamber of commerce numbers ------------------------------------------------------------

// Digits with the spaces and dots printed inside them; exactly `count` of them, and no more.
std::optional<std::string> digitsAt(std::string_view line, std::size_t& i, std::size_t count) {
    const std::size_t limit = std::min(line.size(), i + 2 * count + 2);
    std::string digits;
    for (; i < limit && digits.size() < count; ++i) {
        if (isDigitAt(line, i)) {
            digits += line[i];
        } else if (line[i] != ' ' && line[i] != '.') {
            break;
        }
    }
    if (digits.size() != count || isDigitAt(line, i)) return std::nullopt;
    return digits;
}

// A European VAT number in its printed forms: NL123456789B01, DE 814 689 550, BE 0123.456.789,
// FR12345678901, ATU12345678, GB123456789.
std::optional<std::string> vatNumberAt(std::string_view line, std::size_t at) {
    if (at + 2 > line.size() || (at > 0 && std::isalnum(static_cast<unsigned char>(line[at - 1]))))
        return std::nullopt;
    std::string country{static_cast<char>(std::toupper(static_cast<unsigned char>(line[at]))),
                        static_cast<char>(std::toupper(static_cast<unsigned char>(line[at + 1])))};
    std::size_t i = at + 2;
    if (country == "NL") {
        const auto digits = digitsAt(line, i, 9);
        while (i < line.size() && (line[i] == ' ' || line[i] == '.'))
            ++i;
        if (!digits || i + 3 > line.size() || (line[i] != 'B' && line[i] != 'b') || !isDigitAt(line, i + 1) ||
            !isDigitAt(line, i + 2) || isDigitAt(line, i + 3)) {
            return std::nullopt;
        }
        return "NL" + *digits + "B" + std::string(line.substr(i + 1, 2));
    }
    if (country == "DE" || country == "GB") {
        const auto digits = digitsAt(line, i, 9);
        return digits ? std::optional<std::string>(country + *digits) : std::nullopt;
    }
    if (country == "BE") {
        std::size_t j = i;
        if (auto digits = digitsAt(line, j, 10)) return "BE" + *digits;
        const auto digits = digitsAt(line, i, 9);
        return digits ? std::optional<std::string>("BE0" + *digits) : std::nullopt;
    }
    if (country == "AT") {
        if (i >= line.size() || (line[i] != 'U' && line[i] != 'u')) return std::nullopt;
        ++i;
        const auto digits = digitsAt(line, i, 8);
        return digits ? std::optional<std::string>("ATU" + *digits) : std::nullopt;
    }
    if (country == "FR") {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i + 2 > line.size() || !std::isalnum(static_cast<unsigned char>(line[i])) ||
            !std::isalnum(static_cast<unsigned char>(line[i + 1]))) {
            return std::nullopt;
        }
        const std::string key = {static_cast<char>(std::toupper(static_cast<unsigned char>(line[i]))),
                                 static_cast<char>(std::toupper(static_cast<unsigned char>(line[i + 1])))};
        i += 2;
        const auto digits = digitsAt(line, i, 9);
        return digits ? std::optional<std::string>("FR" + key + *digits) : std::nullopt;
    }
    return std::nullopt;
}

bool isCustomerLine(std::string_view folded) {
    return containsAny(folded, {"klant", "customer", "afnemer", "client", "kunde", "uw btw", "your vat",
                                "ihre ust", "votre tva"});
}

std::optional<std::string> findVatNumber(const ReceiptText& text, const std::vector<bool>& customer) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (customer[i] || isCustomerLine(text.folded[i])) continue;
        const auto line = text.lines[i];
        for (std::size_t at = 0; at + 2 < line.size(); ++at) {
            if (!std::isalpha(static_cast<unsigned char>(line[at]))) continue;
            if (auto number = vatNumberAt(line, at)) return number;
        }
    }
    return std::nullopt;
}

std::optional<std::string> findKvkNumber(const ReceiptText& text) {
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

std::optional<std::string> findCountry(const ReceiptText& text, const Sender& sender,
                                       const std::optional<std::string>& vat) {
    if (vat) return vat->substr(0, 2);
    if (sender.address && hasDutchPostcode(*sender.address)) return "NL";
    const std::size_t end = std::min(text.size(), sender.companyLine + 6);
    for (std::size_t i = sender.companyLine; i < end; ++i) {
        const auto& f = text.folded[i];
        if (containsAnyWord(f, {"nederland", "netherlands", "the netherlands"})) return "NL";
        if (containsAny(f, {"belgi", "belgium", "belgique"})) return "BE";
        if (containsAnyWord(f, {"deutschland", "germany", "duitsland"})) return "DE";
        if (containsAnyWord(f, {"france", "frankrijk", "frankreich"})) return "FR";
    }
    return std::nullopt;
}

}  // namespace

SenderFields readSender(const ReceiptText& text) {
    const auto customer = customerLines(text);
    const Sender sender = findSender(text, customer);
    SenderFields fields;
    fields.company = sender.company;
    fields.address = sender.address;
    fields.vatNumber = findVatNumber(text, customer);
    fields.kvkNumber = findKvkNumber(text);
    fields.country = findCountry(text, sender, fields.vatNumber);
    return fields;
}

}  // namespace zelvorin
