#include "service/auth/AuthRoutes.h"

#include <optional>
#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "service/JsonResponses.h"
#include "service/ServiceError.h"
#include "service/Storage.h"
#include "service/auth/AccountRoutes.h"
#include "service/auth/Authenticator.h"
#include "service/auth/OnboardingRoutes.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

nlohmann::json objectBody(const httplib::Request& request) {
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (!body.is_object()) throw ServiceError(400, "De inhoud van het verzoek is geen JSON-object.");
    return body;
}

std::string requiredString(const nlohmann::json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end()) throw ServiceError(400, std::string("Het veld '") + key + "' ontbreekt.");
    if (!found->is_string()) throw ServiceError(400, std::string("Het veld '") + key + "' moet tekst zijn.");
    if (found->get<std::string>().empty()) {
        throw ServiceError(400, std::string("Het veld '") + key + "' mag niet leeg zijn.");
    }
    return found->get<std::string>();
}

Json tokenPairJson(const IssuedTokens& tokens) {
    return Json{{"accessToken", tokens.accessToken},
                {"refreshToken", tokens.refreshToken},
                {"expiresIn", tokens.expiresIn}};
}

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

std::optional<std::string> firstOrganizationOf(const Storage& storage, const std::string& userId) {
    for (const Membership& membership : storage.memberships()) {
        if (membership.userId == userId) return membership.organizationId;
    }
    return std::nullopt;
}

DeviceDescription describedDevice(const httplib::Request& request) {
    DeviceDescription device;
    device.deviceId = request.get_param_value("device_id");
    device.platform = request.get_param_value("platform");
    device.appVersion = request.get_param_value("app_version");
    device.deviceName = request.get_param_value("device_name");
    device.userAgent = request.get_header_value("User-Agent");
    device.ip = request.remote_addr;
    return device;
}

// The query that brought the browser here, so each choice on the page keeps the device items.
std::string deviceQuery(const httplib::Request& request) {
    std::string query;
    for (const char* key : {"device_id", "platform", "app_version", "device_name"}) {
        if (!request.has_param(key)) continue;
        query +=
            std::string("&") + key + "=" + httplib::detail::encode_query_param(request.get_param_value(key));
    }
    return query;
}

std::string signInPage(const Storage& storage, const httplib::Request& request) {
    std::string page =
        "<!DOCTYPE html><html lang=\"nl\"><head><meta charset=\"utf-8\"><title>Aanmelden bij Zelvorin</title>"
        "</head><body><h1>Aanmelden bij Zelvorin</h1><p>Kies een account:</p><ul>";
    for (const UserAccount& user : storage.users()) {
        page += "<li><a href=\"/native/handoff?user=" + httplib::detail::encode_query_param(user.id) +
                htmlEscape(deviceQuery(request)) + "\">" + htmlEscape(user.name) + " (" +
                htmlEscape(user.email) + ")</a></li>";
    }
    return page + "</ul></body></html>";
}

std::optional<UserAccount> chosenUser(const Storage& storage, const httplib::Request& request) {
    const std::vector<UserAccount> users = storage.users();
    if (request.has_param("user")) {
        for (const UserAccount& user : users) {
            if (user.id == request.get_param_value("user")) return user;
        }
        throw ServiceError(404, "Dit account bestaat niet.");
    }
    if (request.get_param_value("auto") != "1") return std::nullopt;
    if (users.empty()) throw ServiceError(404, "Er zijn nog geen accounts om mee aan te melden.");
    if (!request.has_param("email")) return users.front();
    for (const UserAccount& user : users) {
        if (user.email == request.get_param_value("email")) return user;
    }
    throw ServiceError(404, "Geen account met het e-mailadres '" + request.get_param_value("email") + "'.");
}

void handoff(Authenticator& authenticator, const httplib::Request& request, httplib::Response& response) {
    const DeviceDescription device = describedDevice(request);
    if (device.deviceId.empty()) throw ServiceError(400, "De aanvraag mist 'device_id'.");
    if (device.platform.empty()) throw ServiceError(400, "De aanvraag mist 'platform'.");
    if (device.appVersion.empty()) throw ServiceError(400, "De aanvraag mist 'app_version'.");
    const std::optional<UserAccount> user = chosenUser(authenticator.storage(), request);
    if (!user) {
        response.status = 200;
        response.set_content(signInPage(authenticator.storage(), request), "text/html; charset=utf-8");
        return;
    }
    const std::optional<std::string> organizationId = firstOrganizationOf(authenticator.storage(), user->id);
    if (!organizationId) {
        const std::string token = authenticator.issueOnboardingToken(user->id, device);
        response.status = 302;
        response.set_header("Location",
                            "zelvorin://onboarding?token=" + httplib::detail::encode_query_param(token));
        response.set_content("", "text/plain");
        return;
    }
    const std::string code = authenticator.issueCode(user->id, *organizationId, device);
    response.status = 302;
    response.set_header("Location", "zelvorin://auth?code=" + httplib::detail::encode_query_param(code) +
                                        "&device_id=" + httplib::detail::encode_query_param(device.deviceId));
    response.set_content("", "text/plain");
}

}  // namespace

void addAuthRoutes(httplib::Server& server, Authenticator& authenticator) {
    addAccountRoutes(server, authenticator);
    addOnboardingRoutes(server, authenticator);
    server.Get("/native/handoff",
               guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                   handoff(authenticator, request, response);
               }));
    server.Post("/api/auth/native/redeem",
                guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                    const nlohmann::json body = objectBody(request);
                    DeviceDescription device;
                    device.deviceId = requiredString(body, "deviceId");
                    const std::string code = requiredString(body, "code");
                    device.userAgent = request.get_header_value("User-Agent");
                    device.ip = request.remote_addr;
                    sendJson(response, 200, tokenPairJson(authenticator.redeem(code, device)));
                }));
    server.Post("/api/auth/native/refresh",
                guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                    const nlohmann::json body = objectBody(request);
                    const std::string deviceId = requiredString(body, "deviceId");
                    const std::string refreshToken = requiredString(body, "refreshToken");
                    sendJson(response, 200, tokenPairJson(authenticator.refresh(refreshToken, deviceId)));
                }));
}

}  // namespace zelvorin::service
