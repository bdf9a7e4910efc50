#include "persistence/repositories/JsonEncodable.h"

#include <cmath>

namespace zelvorin {
namespace {

std::string joined(const std::string& path, const std::string& member) {
    return path.empty() ? member : path + "." + member;
}

std::optional<std::string> problemIn(const JSONValue& value, const std::string& path) {
    const auto at = [&](const std::string& problem) {
        return path.empty() ? problem : path + ": " + problem;
    };
    if (const std::string* text = value.asString()) {
        if (!isValidUtf8(*text)) return at("geen geldige UTF-8-tekst");
    } else if (const auto number = value.asNumber()) {
        if (!std::isfinite(*number)) return at("geen eindig getal");
    } else if (const JSONValue::Array* elements = value.asArray()) {
        for (std::size_t i = 0; i < elements->size(); ++i) {
            if (auto problem = problemIn((*elements)[i], path + "[" + std::to_string(i) + "]"))
                return problem;
        }
    } else if (const JSONValue::Object* members = value.asObject()) {
        for (const auto& [key, member] : *members) {
            if (!isValidUtf8(key)) return at("een sleutel is geen geldige UTF-8-tekst");
            if (auto problem = problemIn(member, joined(path, key))) return problem;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> unencodableMember(const JSONValue& value) {
    return problemIn(value, "");
}

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

}  // namespace zelvorin
