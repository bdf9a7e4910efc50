#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zelvorin::service {

using Json = nlohmann::ordered_json;

// A request body as a JSON object. Throws ServiceError: payloadTooLarge past `maxBytes`,
// badRequest when it nests deeper than `maxDepth` (checked before the recursive parser runs),
// is no JSON, or is JSON but no object.
Json parseJsonObject(std::string_view text, std::size_t maxBytes, int maxDepth);

// The members of a body. Each throws ServiceError(badRequest) naming the key in Dutch.
std::string requiredText(const Json& body, const char* key);                 // present, a string, not empty
std::optional<std::string> optionalText(const Json& body, const char* key);  // absent or null: none
std::int64_t requiredInteger(const Json& body, const char* key);

}  // namespace zelvorin::service
