#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The twelve built-in message variables in groups ("Klant", "Factuur", "Organisatie"), each with
// its key, label and a sample from the organisation's own settings: {"groups": [...]}.
nlohmann::ordered_json builtinVariables(const ServiceDatabase& database, const Caller& caller);

// The organisation's own variables (orgVariable records, group "Eigen"). A new one's key is its
// label in lower case with every run of other characters as one "_" ("Project code" is
// {project_code}); a key a built-in or another variable already has is a conflict. Kinds: text,
// date, money, number. A built-in seeded variable cannot be deleted. Unknown ids are notFound.
struct OwnVariable {
    std::string label;
    std::string kind;
    std::string description;
    std::string defaultValue;  // what the key stands for in a message
};
nlohmann::ordered_json createOwnVariable(const ServiceDatabase& database, const Caller& caller,
                                         const OwnVariable& variable, TimePoint now);
void changeOwnVariable(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                       const std::optional<std::string>& label, const std::optional<std::string>& description,
                       TimePoint now);
void deleteOwnVariable(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                       TimePoint now);

// The key a label gives; empty when the label has no letter or digit.
std::string variableKeyOf(const std::string& label);

}  // namespace zelvorin::service
