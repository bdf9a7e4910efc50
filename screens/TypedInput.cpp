#include "screens/TypedInput.h"

#include <charconv>

#include "domain/LineMode.h"
#include "domain/Money.h"
#include "domain/Timestamps.h"
#include "domain/VatTreatment.h"
#include "screens/InputError.h"

namespace zelvorin {
namespace {

InputError refused(const std::string& label, const std::string& typed, const std::string& example) {
    return InputError(InputError::Kind::invalidValue,
                      "Ongeldige waarde voor " + label + ": '" + typed + "' (bijvoorbeeld " + example + ").");
}

}  // namespace

std::int64_t typedAmountCents(const std::string& typed, const std::string& label) {
    if (auto cents = parseAmountCents(typed)) return *cents;
    throw refused(label, typed, "85,00");
}

std::int64_t typedHundredths(const std::string& typed, const std::string& label) {
    if (auto hundredths = parseHundredths(typed)) return *hundredths;
    throw refused(label, typed, "1,5");
}

std::string typedDate(const std::string& typed, const std::string& label) {
    if (typed.size() == 10 && parseCalendarDate(typed)) return typed;
    throw refused(label, typed, "2026-03-01");
}

bool typedYesNo(const std::string& typed, const std::string& label) {
    if (typed == "ja" || typed == "true" || typed == "1") return true;
    if (typed == "nee" || typed == "false" || typed == "0") return false;
    throw refused(label, typed, "ja of nee");
}

std::int64_t typedWholeNumber(const std::string& typed, const std::string& label) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), value);
    if (error == std::errc() && end == typed.data() + typed.size() && !typed.empty()) return value;
    throw refused(label, typed, "30");
}

std::string typedLineMode(const std::string& typed, const std::string& label) {
    if (parseLineMode(typed)) return typed;
    throw refused(label, typed, "hours_rate, qty_price of fixed");
}

std::string typedVatTreatment(const std::string& typed, const std::string& label) {
    if (parseVatTreatment(typed)) return typed;
    throw refused(label, typed, "nl_21, nl_9, nl_0 of verlegd");
}

std::optional<std::string> optionalText(const std::string& typed) {
    if (typed.empty()) return std::nullopt;
    return typed;
}

std::optional<std::string> optionalDate(const std::string& typed, const std::string& label) {
    if (typed.empty()) return std::nullopt;
    return typedDate(typed, label);
}

std::optional<std::int64_t> optionalWholeNumber(const std::string& typed, const std::string& label) {
    if (typed.empty()) return std::nullopt;
    return typedWholeNumber(typed, label);
}

std::optional<std::int64_t> optionalAmountCents(const std::string& typed, const std::string& label) {
    if (typed.empty()) return std::nullopt;
    return typedAmountCents(typed, label);
}

std::size_t typedChoice(const std::vector<std::string>& choices, const std::string& typed,
                        const std::string& label) {
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (typed == choices[i]) return i;
    throw InputError(InputError::Kind::invalidValue,
                     "Onbekende waarde voor " + label + ": '" + typed + "' (" + choiceList(choices) + ").");
}

std::string choiceList(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i)
        list += (i == 0 ? "" : i + 1 == names.size() ? " of " : ", ") + names[i];
    return list;
}

std::optional<std::string> optionalEmail(const std::string& typed, const std::string& label) {
    if (typed.empty()) return std::nullopt;
    const auto at = typed.find('@');
    const bool wellFormed = at != std::string::npos && at > 0 &&
                            typed.find('@', at + 1) == std::string::npos &&
                            typed.find_first_of(" \t\r\n,;<>") == std::string::npos;
    const std::string domain = wellFormed ? typed.substr(at + 1) : std::string();
    const auto dot = domain.find('.');
    if (dot == std::string::npos || dot == 0 || domain.back() == '.' ||
        domain.find("..") != std::string::npos)
        throw refused(label, typed, "info@bedrijf.nl");
    return typed;
}

}  // namespace zelvorin
