#include "api-client/CommandLineHandoff.h"

#include <istream>
#include <optional>
#include <ostream>
#include <string_view>
#include <utility>

#include "api-client/APIError.h"

namespace zelvorin {

std::string PrintingBrowserHandoff::present(const std::string& handoffURL) {
    out_ << "Open deze pagina in je browser om aan te melden:\n  " << handoffURL << '\n'
         << "Plak daarna de zelvorin://-link waar de browser op uitkomt:" << std::endl;
    std::string line;
    if (!std::getline(in_, line) || line.empty()) throw HandoffError(HandoffError::Kind::cancelled);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

namespace {

std::string htmlUnescaped(std::string text) {
    for (const auto& [entity, character] : {std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"},
                                            std::pair{"&quot;", "\""}, std::pair{"&amp;", "&"}}) {
        for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::string_view(entity).size(), character);
    }
    return text;
}

// The href of the page's account link whose text names `email` (any account's when empty).
std::optional<std::string> accountLink(const std::string& page, const std::string& email) {
    static constexpr std::string_view kOpen = "<a href=\"";
    for (std::size_t at = page.find(kOpen); at != std::string::npos; at = page.find(kOpen, at + 1)) {
        const std::size_t hrefStart = at + kOpen.size();
        const std::size_t hrefEnd = page.find('"', hrefStart);
        const std::size_t textEnd = page.find("</a>", hrefEnd);
        if (hrefEnd == std::string::npos || textEnd == std::string::npos) return std::nullopt;
        const std::string text = htmlUnescaped(page.substr(hrefEnd + 2, textEnd - hrefEnd - 2));
        if (email.empty() || text.ends_with("(" + email + ")"))
            return htmlUnescaped(page.substr(hrefStart, hrefEnd - hrefStart));
    }
    return std::nullopt;
}

// "scheme://host[:port]" of `url`.
std::string originOf(const std::string& url) {
    const std::size_t authority = url.find("://");
    if (authority == std::string::npos) return url;
    return url.substr(0, url.find('/', authority + 3));
}

[[noreturn]] void throwForStatus(int status) {
    if (status == 404) throw APIError(APIError::NotFound{});
    throw APIError(APIError::HttpError{status});
}

}  // namespace

std::string AutoBrowserHandoff::present(const std::string& handoffURL) {
    HttpRequest request;
    request.url = handoffURL;
    HttpResponse response = session_->send(request);
    if (response.status == 200) {
        const std::optional<std::string> link = accountLink(response.body, email_);
        if (!link) throw APIError(APIError::NotFound{});
        request.url = link->starts_with("/") ? originOf(handoffURL) + *link : *link;
        response = session_->send(request);
    }
    const std::optional<std::string> location = response.header("Location");
    if (response.status / 100 != 3 || !location) throwForStatus(response.status);
    return *location;
}

}  // namespace zelvorin
