#include "domain/DraftInvoiceNumber.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace zelvorin::DraftInvoiceNumber {

namespace {

// A width beyond this is a corrupt setting, not a wish for a page of zeros.
constexpr int kMaxSequenceWidth = 64;

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::int64_t> parseDecimal(std::string_view digits) {
    if (digits.empty() || !allDigits(digits)) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

void replaceAll(std::string& text, std::string_view placeholder, std::string_view replacement) {
    std::size_t position = 0;
    while ((position = text.find(placeholder, position)) != std::string::npos) {
        text.replace(position, placeholder.size(), replacement);
        position += replacement.size();
    }
}

}  // namespace

std::optional<std::string> preview(std::optional<std::string_view> conceptNumber,
                                   std::optional<std::string_view> numberTemplate,
                                   std::optional<std::string_view> prefix, std::optional<int> sequenceWidth) {
    if (!conceptNumber || !conceptNumber->starts_with('C')) return std::nullopt;
    const std::string_view rest = conceptNumber->substr(1);
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const std::string_view yearText = rest.substr(0, dash);
    const std::string_view sequenceText = rest.substr(dash + 1);
    if (yearText.size() != 4) return std::nullopt;
    const std::optional<std::int64_t> year = parseDecimal(yearText);
    const std::optional<std::int64_t> sequence = parseDecimal(sequenceText);  // a second '-' is no digit
    if (!year || !sequence) return std::nullopt;

    std::string sequenceDigits = std::to_string(*sequence);
    const int width = std::clamp(sequenceWidth.value_or(kDefaultSequenceWidth), 1, kMaxSequenceWidth);
    if (sequenceDigits.size() < static_cast<std::size_t>(width)) {
        sequenceDigits.insert(0, static_cast<std::size_t>(width) - sequenceDigits.size(), '0');
    }
    std::string number(numberTemplate.value_or(kDefaultTemplate));
    replaceAll(number, "{PREFIX}", prefix.value_or(kDefaultPrefix));
    replaceAll(number, "{YEAR}", std::to_string(*year));
    replaceAll(number, "{SEQ}", sequenceDigits);
    return number;
}

}  // namespace zelvorin::DraftInvoiceNumber
