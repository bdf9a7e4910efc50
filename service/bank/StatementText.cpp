#include "service/bank/StatementText.h"

#include <cctype>

#include "domain/Timestamps.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service::statementtext {

namespace {

[[noreturn]] void refuseAmount(std::string_view text) {
    throw ServiceError(ErrorKind::badRequest,
                       "Het bedrag '" + std::string(text) + "' in het bankafschrift is niet te lezen.");
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::int64_t parseAmountCents(std::string_view raw) {
    const std::string_view text = trimmed(raw);
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    const std::size_t separator = text.find_first_of(".,", at);
    if (text.find_first_of(".,", separator == std::string_view::npos ? text.size() : separator + 1) !=
        std::string_view::npos)
        throw ServiceError(ErrorKind::badRequest,
                           "Het bedrag '" + std::string(text) +
                               "' heeft zowel een punt als een komma (of meer dan één scheidingsteken); "
                               "het bankafschrift is niet ingelezen.");
    const std::string_view whole =
        text.substr(at, separator == std::string_view::npos ? text.npos : separator - at);
    const std::string_view fraction =
        separator == std::string_view::npos ? std::string_view{} : text.substr(separator + 1);
    // Twelve digits of euros is far beyond any bank movement and keeps the cents inside 64 bits.
    if ((whole.empty() && fraction.empty()) || whole.size() > 12 || fraction.size() > 2) refuseAmount(text);
    std::int64_t cents = 0;
    for (char c : whole) {
        if (!isDigit(c)) refuseAmount(text);
        cents = cents * 10 + (c - '0');
    }
    for (std::size_t i = 0; i < 2; ++i) {
        if (i < fraction.size() && !isDigit(fraction[i])) refuseAmount(text);
        cents = cents * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    }
    return negative ? -cents : cents;
}

std::string currencyCode(std::string_view raw) {
    const std::string_view text = trimmed(raw);
    if (text.empty()) return "EUR";
    std::string code;
    for (const char c : text)
        if (std::isalpha(static_cast<unsigned char>(c)))
            code += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (code.size() != 3 || text.size() != 3)
        throw ServiceError(ErrorKind::badRequest,
                           "Een valuta in het bestand is geen valutacode van drie letters, zoals EUR.");
    return code;
}

std::string calendarDate(std::string_view raw) {
    const std::string_view text = trimmed(raw);
    std::string iso;
    if (text.size() == 8) {
        iso = std::string(text.substr(0, 4)) + "-" + std::string(text.substr(4, 2)) + "-" +
              std::string(text.substr(6, 2));
    } else if (text.size() == 10 && text[2] == '-' && text[5] == '-') {
        iso = std::string(text.substr(6, 4)) + "-" + std::string(text.substr(3, 2)) + "-" +
              std::string(text.substr(0, 2));
    } else {
        iso = std::string(text);
    }
    if (iso.size() != 10 || !parseCalendarDate(iso))
        throw ServiceError(ErrorKind::badRequest,
                           "De datum '" + std::string(text) + "' in het bankafschrift is niet te lezen.");
    return iso;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string foldedLower(std::string_view text) {
    std::string out = folded(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string folded(std::string_view text) {
    std::string out;
    bool space = false;
    for (char c : trimmed(text)) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            space = true;
            continue;
        }
        if (space) out += ' ';
        space = false;
        out += c;
    }
    return out;
}

std::string compactIban(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t') continue;
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace zelvorin::service::statementtext
