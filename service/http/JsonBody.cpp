#include "service/http/JsonBody.h"

#include "domain/JsonNesting.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

[[noreturn]] void fieldError(const char* key, const char* problem) {
    throw ServiceError(ErrorKind::badRequest, std::string("Het veld '") + key + "' " + problem + ".");
}

}  // namespace

Json parseJsonObject(std::string_view text, std::size_t maxBytes, int maxDepth) {
    if (text.size() > maxBytes) {
        throw ServiceError(ErrorKind::payloadTooLarge, "De inhoud van het verzoek is groter dan " +
                                                           std::to_string(maxBytes / 1024) + " kB.");
    }
    if (jsonNestingDepth(text, maxDepth) > maxDepth) {
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
