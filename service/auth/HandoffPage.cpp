#include "service/auth/HandoffPage.h"

#include <httplib.h>

namespace zelvorin::service {

namespace {

std::string htmlEscape(const std::string& text) {
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

}  // namespace

std::string handoffPage(const std::vector<UserAccount>& accounts, const std::string& deviceQuery) {
    std::string page =
        "<!DOCTYPE html><html lang=\"nl\"><head><meta charset=\"utf-8\"><title>Aanmelden bij Zelvorin</title>"
        "</head><body><h1>Aanmelden bij Zelvorin</h1><p>Kies een account:</p><ul>";
    for (const UserAccount& user : accounts) {
        page += "<li><a href=\"/native/handoff?user=" + httplib::detail::encode_query_param(user.id) +
                htmlEscape(deviceQuery) + "\">" + htmlEscape(user.name) + " (" + htmlEscape(user.email) +
                ")</a></li>";
    }
    return page + "</ul></body></html>";
}

}  // namespace zelvorin::service
