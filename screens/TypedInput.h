#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelvorin {

// Values as a person types them in a field, checked before anything is written. Every refusal is
// an InputError (invalidValue) that names the field by `label` (the desktop passes the field's
// caption, the command line the option) and shows an example.
std::int64_t typedAmountCents(const std::string& typed, const std::string& label);  // "85,00"
std::int64_t typedHundredths(const std::string& typed, const std::string& label);   // "1,5"
std::string typedDate(const std::string& typed, const std::string& label);          // "2026-03-01"
bool typedYesNo(const std::string& typed, const std::string& label);                // ja / nee
std::int64_t typedWholeNumber(const std::string& typed, const std::string& label);  // "30"
std::string typedLineMode(const std::string& typed, const std::string& label);      // hours_rate, …
std::string typedVatTreatment(const std::string& typed, const std::string& label);  // nl_21, …
// An empty value clears an optional field.
std::optional<std::string> optionalText(const std::string& typed);
// Empty clears; anything else must parse.
std::optional<std::string> optionalDate(const std::string& typed, const std::string& label);
std::optional<std::int64_t> optionalWholeNumber(const std::string& typed, const std::string& label);
std::optional<std::int64_t> optionalAmountCents(const std::string& typed, const std::string& label);
// Empty clears; otherwise one '@' with a name before it and a dotted domain after it, no spaces.
std::optional<std::string> optionalEmail(const std::string& typed, const std::string& label);

// One of a fixed list of choices; the refusal lists them.
std::size_t typedChoice(const std::vector<std::string>& choices, const std::string& typed,
                        const std::string& label);

// "a, b of c"
std::string choiceList(const std::vector<std::string>& names);

}  // namespace zelvorin
