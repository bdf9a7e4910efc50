#include "api-client/CommandLineHandoff.h"

#include <istream>
#include <ostream>

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

std::string AutoBrowserHandoff::present(const std::string& handoffURL) {
    HttpRequest request;
    request.url = handoffURL + "&auto=1";
    if (!email_.empty()) request.url += "&email=" + percentEncodeQueryValue(email_);
    const HttpResponse response = session_->send(request);
    const std::optional<std::string> location = response.header("Location");
    if (response.status / 100 != 3 || !location) {
        if (response.status == 404) throw APIError(APIError::NotFound{});
        throw APIError(APIError::HttpError{response.status});
    }
    return *location;
}

}  // namespace zelvorin
