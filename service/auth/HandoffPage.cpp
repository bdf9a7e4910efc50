#include "service/auth/HandoffPage.h"

#include <httplib.h>

#include "service/http/HtmlText.h"

namespace zelvorin::service {

std::string handoffPage(const std::vector<UserAccount>& accounts, const std::string& deviceQuery) {
    std::string page =
        "<!DOCTYPE html><html lang=\"nl\"><head><meta charset=\"utf-8\"><title>Aanmelden bij Zelvorin</title>"
        "</head><body><h1>Aanmelden bij Zelvorin</h1><p>Kies een account:</p><ul>";
    for (const UserAccount& user : accounts) {
        page += "<li><a href=\"/native/handoff?user=" + httplib::detail::encode_query_param(user.id) +
                htmlEscaped(deviceQuery) + "\">" + htmlEscaped(user.name) + " (" + htmlEscaped(user.email) +
                ")</a></li>";
    }
    return page + "</ul></body></html>";
}

}  // namespace zelvorin::service
