#include "testing/ServiceSignIn.h"

#include <stdexcept>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "api-client/HandoffVerifier.h"

namespace zelvorin::testing {

namespace {

std::string queryItem(const std::string& url, const std::string& key) {
    const std::size_t query = url.find('?');
    if (query == std::string::npos) return {};
    std::size_t start = query + 1;
    while (start < url.size()) {
        std::size_t end = url.find('&', start);
        if (end == std::string::npos) end = url.size();
        const std::string item = url.substr(start, end - start);
        if (item.rfind(key + "=", 0) == 0)
            return httplib::detail::decode_url(item.substr(key.size() + 1), true);
        start = end + 1;
    }
    return {};
}

}  // namespace

namespace {

// The browser's part: GET `pathAndQuery` (native/handoff?…) with the operator's automatic choice.
HandoffRedirect walkHandoff(const ServiceProcess& service, std::string pathAndQuery,
                            const std::optional<std::string>& email) {
    httplib::Client client("127.0.0.1", service.port());
    client.set_read_timeout(30, 0);
    client.set_follow_location(false);
    pathAndQuery += "&auto=1";
    if (email) pathAndQuery += "&email=" + httplib::detail::encode_query_param(*email);
    const auto answer =
        client.Get(pathAndQuery.c_str(), {{ServiceProcess::adminTokenHeader(), service.adminToken()}});
    if (!answer) throw std::runtime_error("GET native/handoff kreeg geen antwoord van zelvorin-service");
    HandoffRedirect redirect;
    redirect.status = answer->status;
    redirect.location = answer->get_header_value("Location");
    redirect.code = queryItem(redirect.location, "code");
    return redirect;
}

}  // namespace

HandoffRedirect requestHandoff(const ServiceProcess& service, const std::string& deviceId,
                               const std::optional<std::string>& email) {
    const CodeVerifier verifier = CodeVerifier::generate();
    HandoffRedirect redirect =
        walkHandoff(service,
                    "/native/handoff?device_id=" + httplib::detail::encode_query_param(deviceId) +
                        "&platform=linux&app_version=1.0&device_name=Testapparaat&code_challenge=" +
                        verifier.challenge() + "&code_challenge_method=S256",
                    email);
    redirect.verifier = verifier.text();
    return redirect;
}

HandoffRedirect completeHandoffPage(const ServiceProcess& service, const std::string& handoffURL,
                                    const std::optional<std::string>& email) {
    const std::size_t path = handoffURL.find("/native/handoff?");
    if (path == std::string::npos) throw std::runtime_error("geen aanmeldpagina: " + handoffURL);
    return walkHandoff(service, handoffURL.substr(path), email);
}

TokenPair signInDevice(const ServiceProcess& service, const std::string& deviceId,
                       const std::optional<std::string>& email) {
    const HandoffRedirect redirect = requestHandoff(service, deviceId, email);
    if (redirect.status != 302 || redirect.code.empty()) {
        throw std::runtime_error("native/handoff gaf " + std::to_string(redirect.status) + " zonder code");
    }
    const nlohmann::json body{
        {"deviceId", deviceId}, {"code", redirect.code}, {"codeVerifier", redirect.verifier}};
    const ServiceProcess::HttpAnswer answer = service.post("/api/auth/native/redeem", body.dump());
    if (answer.status != 200) {
        throw std::runtime_error("redeem gaf " + std::to_string(answer.status) + ": " + answer.body);
    }
    const std::optional<TokenPair> pair =
        TokenPair::fromJson(nlohmann::json::parse(answer.body, nullptr, false));
    if (!pair) throw std::runtime_error("redeem gaf geen geldig tokenpaar: " + answer.body);
    return *pair;
}

}  // namespace zelvorin::testing
