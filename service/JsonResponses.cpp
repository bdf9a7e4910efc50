#include "service/JsonResponses.h"

#include <exception>

#include "service/ServiceError.h"

namespace zelvorin::service {

void sendJson(httplib::Response& response, int status, const nlohmann::ordered_json& body) {
    response.status = status;
    response.set_content(body.dump(), "application/json");
}

void sendError(httplib::Response& response, int status, const std::string& message) {
    nlohmann::ordered_json body;
    body["error"] = message;
    sendJson(response, status, body);
}

std::string defaultErrorMessage(int status) {
    switch (status) {
        case 400:
            return "Ongeldig verzoek.";
        case 401:
            return "Niet ingelogd.";
        case 403:
            return "Geen toegang.";
        case 404:
            return "Niet gevonden.";
        case 405:
            return "Deze methode is hier niet toegestaan.";
        case 413:
            return "Het verzoek is te groot.";
        case 429:
            return "Te veel verzoeken.";
        default:
            return status >= 500 ? "Interne fout in de service." : "Het verzoek is mislukt.";
    }
}

httplib::Server::Handler guarded(std::function<void(const httplib::Request&, httplib::Response&)> handler) {
    return [handler = std::move(handler)](const httplib::Request& request, httplib::Response& response) {
        try {
            handler(request, response);
        } catch (const ServiceError& error) {
            sendError(response, error.httpStatus(), error.what());
        } catch (const std::exception&) {
            // The cause stays in the service; the client only learns that it was not its fault.
            sendError(response, 500, defaultErrorMessage(500));
        }
    };
}

}  // namespace zelvorin::service
