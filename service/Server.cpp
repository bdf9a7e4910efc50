#include "service/Server.h"

#include <httplib.h>

#include "service/admin/AdminRoutes.h"
#include "service/auth/AuthRoutes.h"
#include "service/auth/RequestAuthentication.h"
#include "service/btw/BtwRoutes.h"
#include "service/http/ErrorKinds.h"
#include "service/http/ServiceError.h"
#include "service/inbox/InboxRoutes.h"
#include "service/invoices/InvoiceExtraRoutes.h"
#include "service/invoices/InvoiceRoutes.h"
#include "service/onboarding/OnboardingRoutes.h"
#include "service/store/ServiceDatabase.h"
#include "service/sync/SyncRoutes.h"
#include "service/team/TeamRoutes.h"
#include "service/templates/TemplateRoutes.h"

namespace zelvorin::service {

namespace {

constexpr const char* kLoopback = "127.0.0.1";

}  // namespace

RouteTable serviceRoutes(const ServiceDatabase& database, const Authenticator& authenticator,
                         FaultSwitches& faults, RequestLog& log, const MailOutbox& outbox) {
    RouteTable routes;
    addAdminRoutes(routes, database, faults, log);
    addAuthRoutes(routes, database, authenticator);
    addOnboardingRoutes(routes, database, authenticator);
    addTeamRoutes(routes, database);
    addSyncRoutes(routes, database);
    addInvoiceRoutes(routes, database, outbox);
    addInboxRoutes(routes, database);
    addBtwRoutes(routes, database);
    addTemplateRoutes(routes, database);
    addInvoiceExtraRoutes(routes, database);
    return routes;
}

Server::Server(const ServiceDatabase& database, const Clock& clock, std::int64_t accessTokenLifetime,
               std::optional<std::string> smtpUrl)
    : database_(database),
      outbox_(database.path().parent_path(), std::move(smtpUrl)),
      authenticator_(database.signingSecret(), accessTokenLifetime),
      http_(std::make_unique<httplib::Server>()) {
    router_ = std::make_unique<Router>(
        serviceRoutes(database_, authenticator_, faults_, requestLog_, outbox_), clock,
        [this](const RequestContext& context, Access access) {
            return authenticateCaller(database_, authenticator_, context, access);
        },
        [this](const httplib::Request& request, httplib::Response& response) {
            faults_.rewrite(request, response);
        });

    // Responses go out in two writes (head, body); with Nagle on, the second waits for the
    // client's delayed ACK, about 40 ms a request.
    http_->set_tcp_nodelay(true);
    http_->set_payload_max_length(tunables::kMaxRequestBodyBytes);
    // The router answers every request it sees with its own body; this fills in the answers the
    // library gave itself (a body over the limit, a request it could not read), so that every error
    // answer has the {"error": ...} shape.
    const httplib::Server::HandlerWithResponse fillErrorBody = [](const httplib::Request&,
                                                                  httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        response.set_content(Json{{"error", std::string(fallbackTextForStatus(response.status))}}.dump(),
                             "application/json");
        return httplib::Server::HandlerResponse::Handled;
    };
    http_->set_error_handler(fillErrorBody);
    http_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        requestLog_.record(request.path);
        return faults_.intercept(request, response) ? httplib::Server::HandlerResponse::Handled
                                                    : httplib::Server::HandlerResponse::Unhandled;
    });
    router_->install(*http_);
}

Server::~Server() = default;

int Server::bind(int port) {
    if (port == 0) {
        const int bound = http_->bind_to_any_port(kLoopback);
        if (bound <= 0) throw ServiceError(ErrorKind::internal, "Geen vrije poort op 127.0.0.1 gevonden.");
        return bound;
    }
    if (!http_->bind_to_port(kLoopback, port)) {
        throw ServiceError(ErrorKind::internal,
                           "Poort " + std::to_string(port) + " op 127.0.0.1 is niet beschikbaar.");
    }
    return port;
}

bool Server::serve() {
    return http_->listen_after_bind();
}

void Server::stop() {
    http_->stop();
}

}  // namespace zelvorin::service
