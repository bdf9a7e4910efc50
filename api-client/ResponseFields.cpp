#include "api-client/ResponseFields.h"

#include "api-client/APIError.h"

namespace zelvorin::responsefields {

using Json = nlohmann::json;

void invalid() {
    throw APIError(APIError::InvalidResponse{});
}

const Json& object(const Json& body) {
    if (!body.is_object()) invalid();
    return body;
}

namespace {

const Json& member(const Json& body, const char* key) {
    const auto found = object(body).find(key);
    if (found == body.end()) invalid();
    return *found;
}

}  // namespace

const Json& objectMember(const Json& body, const char* key) {
    return object(member(body, key));
}

const Json& array(const Json& body, const char* key) {
    const Json& value = member(body, key);
    if (!value.is_array()) invalid();
    return value;
}

std::string text(const Json& body, const char* key) {
    const Json& value = member(body, key);
    if (!value.is_string()) invalid();
    return value.get<std::string>();
}

std::optional<std::string> optionalText(const Json& body, const char* key) {
    const auto found = object(body).find(key);
    if (found == body.end() || found->is_null()) return std::nullopt;
    if (!found->is_string()) invalid();
    return found->get<std::string>();
}

std::int64_t integer(const Json& body, const char* key) {
    const Json& value = member(body, key);
    if (!value.is_number_integer()) invalid();
    return value.get<std::int64_t>();
}

double number(const Json& body, const char* key) {
    const Json& value = member(body, key);
    if (!value.is_number()) invalid();
    return value.get<double>();
}

bool flag(const Json& body, const char* key) {
    const Json& value = member(body, key);
    if (!value.is_boolean()) invalid();
    return value.get<bool>();
}

std::optional<bool> optionalFlag(const Json& body, const char* key) {
    const auto found = object(body).find(key);
    if (found == body.end() || found->is_null()) return std::nullopt;
    if (!found->is_boolean()) invalid();
    return found->get<bool>();
}

}  // namespace zelvorin::responsefields
