#include "app/ShareMeta.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

namespace zelvorin {

ShareMeta ShareMeta::parse(const std::string& text) {
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object()) throw std::invalid_argument("de metadata is geen JSON-object");
    const auto member = [&](const char* key) {
        const auto found = json.find(key);
        if (found == json.end() || !found->is_string() || found->get<std::string>().empty())
            throw std::invalid_argument(std::string("de metadata mist \"") + key + "\"");
        return found->get<std::string>();
    };
    return ShareMeta{member("filename"), member("mimeType"), member("source"), member("idempotencyKey"),
                     member("createdAt")};
}

}  // namespace zelvorin
