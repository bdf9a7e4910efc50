#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/cli/CliError.h"

namespace zelvorin::cli {

// What a person types on the command line, checked before anything is written. Every refusal is
// a usage error naming the option and showing an example.
std::int64_t requireAmountCents(const std::string& typed, const std::string& option);  // "85,00"
std::int64_t requireHundredths(const std::string& typed, const std::string& option);   // "1,5"
std::string requireDate(const std::string& typed, const std::string& option);          // "2026-03-01"
bool requireBoolean(const std::string& typed, const std::string& option);              // ja / nee
std::int64_t requireWholeNumber(const std::string& typed, const std::string& option);
std::string requireLineMode(const std::string& typed);  // hours_rate, qty_price, fixed
std::string requireVatTreatment(const std::string& typed);
// An empty value clears an optional field.
std::optional<std::string> optionalText(const std::string& typed);

// "FIELD VALUE" edits of one kind of record: the setter of each field name checks and applies the
// typed value. An unknown field is a usage error listing the known ones.
template <class Record>
using FieldSetters = std::map<std::string, std::function<void(Record&, const std::string&)>>;

std::string knownFields(const std::vector<std::string>& names);

template <class Record>
void applyField(const FieldSetters<Record>& setters, Record& record, const std::string& field,
                const std::string& value) {
    const auto setter = setters.find(field);
    if (setter == setters.end()) {
        std::vector<std::string> names;
        for (const auto& [name, unused] : setters)
            names.push_back(name);
        throw CliError(CliError::Kind::usage,
                       "Onbekend veld '" + field + "'. Bekende velden: " + knownFields(names));
    }
    setter->second(record, value);
}

}  // namespace zelvorin::cli
