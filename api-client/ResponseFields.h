#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

// Reading the members of a service's answer. A member that is missing, or of another type than the
// record says, makes the whole answer APIError::InvalidResponse; an optional member may be missing
// or null.
namespace zelvorin::responsefields {

[[noreturn]] void invalid();
const nlohmann::json& object(const nlohmann::json& body);
// A member that is itself an object.
const nlohmann::json& objectMember(const nlohmann::json& body, const char* key);
const nlohmann::json& array(const nlohmann::json& body, const char* key);
std::string text(const nlohmann::json& body, const char* key);
std::optional<std::string> optionalText(const nlohmann::json& body, const char* key);
std::int64_t integer(const nlohmann::json& body, const char* key);
double number(const nlohmann::json& body, const char* key);
bool flag(const nlohmann::json& body, const char* key);
std::optional<bool> optionalFlag(const nlohmann::json& body, const char* key);

}  // namespace zelvorin::responsefields
