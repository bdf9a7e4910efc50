#include "app/cli/CliInput.h"

#include <charconv>

#include "domain/LineMode.h"
#include "domain/Money.h"
#include "domain/Timestamps.h"
#include "domain/VatTreatment.h"

namespace zelvorin::cli {
namespace {

CliError refused(const std::string& what, const std::string& typed, const std::string& example) {
    return CliError(CliError::Kind::usage,
                    "Ongeldige waarde voor " + what + ": '" + typed + "' (bijvoorbeeld " + example + ").");
}

}  // namespace

std::int64_t requireAmountCents(const std::string& typed, const std::string& option) {
    if (auto cents = parseAmountCents(typed)) return *cents;
    throw refused(option, typed, "85,00");
}

std::int64_t requireHundredths(const std::string& typed, const std::string& option) {
    if (auto hundredths = parseHundredths(typed)) return *hundredths;
    throw refused(option, typed, "1,5");
}

std::string requireDate(const std::string& typed, const std::string& option) {
    if (typed.size() == 10 && parseCalendarDate(typed)) return typed;
    throw refused(option, typed, "2026-03-01");
}

bool requireBoolean(const std::string& typed, const std::string& option) {
    if (typed == "ja" || typed == "true" || typed == "1") return true;
    if (typed == "nee" || typed == "false" || typed == "0") return false;
    throw refused(option, typed, "ja of nee");
}

std::int64_t requireWholeNumber(const std::string& typed, const std::string& option) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), value);
    if (error == std::errc() && end == typed.data() + typed.size() && !typed.empty()) return value;
    throw refused(option, typed, "30");
}

std::string requireLineMode(const std::string& typed) {
    if (parseLineMode(typed)) return typed;
    throw refused("--mode", typed, "hours_rate, qty_price of fixed");
}

std::string requireVatTreatment(const std::string& typed) {
    if (parseVatTreatment(typed)) return typed;
    throw refused("de btw", typed, "nl_21, nl_9, nl_0 of verlegd");
}

std::optional<std::string> optionalText(const std::string& typed) {
    if (typed.empty()) return std::nullopt;
    return typed;
}

std::string knownFields(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + name;
    return list;
}

}  // namespace zelvorin::cli
