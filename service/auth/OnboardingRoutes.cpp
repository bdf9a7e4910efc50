#include "service/auth/OnboardingRoutes.h"

#include <chrono>
#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/JsonResponses.h"
#include "service/ServiceError.h"
#include "service/Storage.h"
#include "service/auth/AuthCrypto.h"
#include "service/auth/Authenticator.h"
#include "service/auth/RequestAuthentication.h"

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
    if (!found->is_string() || found->get<std::string>().empty()) {
        throw ServiceError(400, std::string("Het veld '") + key + "' moet niet-lege tekst zijn.");
    }
    return found->get<std::string>();
}

std::string bearerOf(const httplib::Request& request) {
    static constexpr std::string_view kBearer = "Bearer ";
    const std::string header = request.get_header_value("Authorization");
    if (header.size() <= kBearer.size() || header.compare(0, kBearer.size(), kBearer) != 0) {
        throw ServiceError(401, "Niet aangemeld: het verzoek heeft geen onboardingtoken.");
    }
    return header.substr(kBearer.size());
}

std::string nowText(const Authenticator& authenticator) {
    return formatTimestampSeconds(TimePoint{std::chrono::seconds(authenticator.now())});
}

void magicLink(Authenticator& authenticator, const httplib::Request& request, httplib::Response& response) {
    const nlohmann::json body = objectBody(request);
    const std::string email = requiredString(body, "email");
    requiredString(body, "callbackURL");
    requiredString(body, "newUserCallbackURL");
    if (email.find('@') == std::string::npos || email.front() == '@' || email.back() == '@') {
        throw ServiceError(400, "'" + email + "' is geen e-mailadres.");
    }
    Storage& storage = authenticator.storage();
    bool known = false;
    for (const UserAccount& user : storage.users())
        known = known || user.email == email;
    // The local service sends no mail: a new address becomes an account straight away and signs in
    // through the hand-off page like the others.
    if (!known)
        storage.addUser({randomUuid(), email, email.substr(0, email.find('@')), nowText(authenticator)});
    sendJson(response, 200, Json{{"sent", true}});
}

void createOrganization(Authenticator& authenticator, const httplib::Request& request,
                        httplib::Response& response) {
    const std::string token = bearerOf(request);
    const nlohmann::json answers = objectBody(request);
    const std::string name = requiredString(answers, "name");
    const HandoffGrant grant = authenticator.takeOnboardingToken(token);
    const std::string created = nowText(authenticator);
    const std::string organizationId = randomUuid();
    Storage& storage = authenticator.storage();
    storage.transaction([&] {
        storage.addOrganization({organizationId, name, created});
        storage.addMembership({organizationId, grant.userId, "owner", created});
    });
    DeviceDescription device{grant.deviceId,
                             grant.platform,
                             grant.appVersion,
                             grant.deviceName,
                             request.get_header_value("User-Agent"),
                             request.remote_addr};
    const IssuedTokens tokens = authenticator.startSession(grant.userId, organizationId, device);
    sendJson(response, 200,
             Json{{"organizationId", organizationId},
                  {"accessToken", tokens.accessToken},
                  {"refreshToken", tokens.refreshToken},
                  {"expiresIn", tokens.expiresIn}});
}

void onboardingStep(Authenticator& authenticator, const httplib::Request& request,
                    httplib::Response& response) {
    const AccessClaims claims = authenticateRequest(request, authenticator);
    const nlohmann::json body = objectBody(request);
    const auto step = body.find("step");
    if (step == body.end()) throw ServiceError(400, "Het veld 'step' ontbreekt.");
    if (!step->is_number_integer() || step->get<std::int64_t>() < 0) {
        throw ServiceError(400, "Het veld 'step' moet een niet-negatief geheel getal zijn.");
    }
    requireMembership(claims, authenticator.storage());
    authenticator.store().recordOnboardingStep(claims.userId, claims.organizationId,
                                               step->get<std::int64_t>());
    sendJson(response, 200,
             Json{{"step", *authenticator.store().onboardingStep(claims.userId, claims.organizationId)}});
}

void firstCustomer(Authenticator& authenticator, const httplib::Request& request,
                   httplib::Response& response) {
    const AccessClaims claims = authenticateRequest(request, authenticator);
    const nlohmann::json body = objectBody(request);
    const std::string companyName = requiredString(body, "companyName");
    const std::string contactPersonName = requiredString(body, "contactPersonName");
    const std::string email = requiredString(body, "email");
    requireMembership(claims, authenticator.storage());
    const TimePoint now{std::chrono::seconds(authenticator.now())};
    RecordWrite write;
    write.organizationId = claims.organizationId;
    write.entityType = "customer";
    write.id = randomUuid();
    write.payload = Json{
        {"id", write.id}, {"name", companyName}, {"contactPersonName", contactPersonName}, {"email", email}};
    write.changedAt = now;
    const StoredRecord stored = authenticator.storage().putRecord(write);
    sendJson(response, 200, Json{{"customerId", stored.id}});
}

void webSession(Authenticator& authenticator, const httplib::Request& request, httplib::Response& response) {
    const AccessClaims claims = authenticateRequest(request, authenticator);
    const std::string next = requiredString(objectBody(request), "next");
    if (next.front() != '/') throw ServiceError(400, "Het veld 'next' moet een pad zijn dat met '/' begint.");
    requireMembership(claims, authenticator.storage());
    const std::string host = request.get_header_value("Host");
    const std::string url = "http://" + (host.empty() ? std::string("127.0.0.1") : host) + next +
                            (next.find('?') == std::string::npos ? "?" : "&") + "session=" + randomToken(24);
    sendJson(response, 200, Json{{"url", url}});
}

}  // namespace

void addOnboardingRoutes(httplib::Server& server, Authenticator& authenticator) {
    const auto route =
        [&authenticator](void (*handler)(Authenticator&, const httplib::Request&, httplib::Response&)) {
            return guarded(
                [&authenticator, handler](const httplib::Request& request, httplib::Response& response) {
                    handler(authenticator, request, response);
                });
        };
    server.Post("/api/auth/sign-in/magic-link", route(magicLink));
    server.Post("/api/native/onboarding/create-org", route(createOrganization));
    server.Post("/api/native/onboarding/step", route(onboardingStep));
    server.Post("/api/native/onboarding/first-customer", route(firstCustomer));
    server.Post("/api/native/web-session", route(webSession));
}

}  // namespace zelvorin::service
