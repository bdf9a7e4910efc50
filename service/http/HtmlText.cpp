#include "service/http/HtmlText.h"

namespace zelvorin::service {

std::string htmlEscaped(const std::string& text) {
    std::string escaped;
    for (const char character : text) {
        switch (character) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped.push_back(character);
        }
    }
    return escaped;
}

}  // namespace zelvorin::service
