#include "service/http/JsonBody.h"

#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

// The deepest nesting of the text, stopping early once past `limit`; brackets inside strings do
// not count. Malformed text is the parser's to refuse.
int nestingDepth(std::string_view text, int limit) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit) return deepest;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return deepest;
}

[[noreturn]] void fieldError(const char* key, const char* problem) {
    throw ServiceError(ErrorKind::badRequest, std::string("Het veld '") + key + "' " + problem + ".");
}

}  // namespace

Json parseJsonObject(std::string_view text, std::size_t maxBytes, int maxDepth) {
    if (text.size() > maxBytes) {
        throw ServiceError(ErrorKind::payloadTooLarge, "De inhoud van het verzoek is groter dan " +
                                                           std::to_string(maxBytes / 1024) + " kB.");
    }
    if (nestingDepth(text, maxDepth) > maxDepth) {
        throw ServiceError(ErrorKind::badRequest, "De JSON van het verzoek is dieper genest dan " +
                                                      std::to_string(maxDepth) + " niveaus.");
    }
    Json body = Json::parse(text, nullptr, false);
    if (body.is_discarded())
        throw ServiceError(ErrorKind::badRequest, "De inhoud van het verzoek is geen geldige JSON.");
    if (!body.is_object())
        throw ServiceError(ErrorKind::badRequest, "De inhoud van het verzoek is geen JSON-object.");
    return body;
}

std::string requiredText(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || found->is_null()) fieldError(key, "ontbreekt");
    if (!found->is_string()) fieldError(key, "moet tekst zijn");
    if (found->get_ref<const std::string&>().empty()) fieldError(key, "mag niet leeg zijn");
    return found->get<std::string>();
}

std::optional<std::string> optionalText(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || found->is_null()) return std::nullopt;
    if (!found->is_string()) fieldError(key, "moet tekst zijn");
    return found->get<std::string>();
}

std::int64_t requiredInteger(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || found->is_null()) fieldError(key, "ontbreekt");
    if (!found->is_number_integer()) fieldError(key, "moet een geheel getal zijn");
    return found->get<std::int64_t>();
}

}  // namespace zelvorin::service
