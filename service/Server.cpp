#include "service/Server.h"

#include <httplib.h>

#include "service/AdminRoutes.h"
#include "service/JsonResponses.h"
#include "service/ServiceError.h"
#include "service/Storage.h"
#include "service/auth/AuthRoutes.h"
#include "service/auth/Authenticator.h"
#include "service/exports/VatExportRoutes.h"
#include "service/inbox/KvitraRoutes.h"
#include "service/preview/InvoicePreviewRoutes.h"
#include "service/sync/SyncRoutes.h"

namespace zelvorin::service {

namespace {

constexpr const char* kLoopback = "127.0.0.1";

}  // namespace

Server::Server(Storage& storage, std::int64_t accessTokenLifetime)
    : storage_(storage),
      authenticator_(std::make_unique<Authenticator>(storage.databasePath().parent_path(), storage,
                                                     accessTokenLifetime)),
      http_(std::make_unique<httplib::Server>()) {
    // Responses go out in two writes (head, body); with Nagle on, the second waits for the
    // client's delayed ACK, about 40 ms a request.
    http_->set_tcp_nodelay(true);
    // Routed handlers write their own bodies; this fills in the rest (unknown paths, requests the
    // library refused) so that every error answer has the {"error": ...} shape.
    const httplib::Server::HandlerWithResponse fillErrorBody = [](const httplib::Request&,
                                                                  httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        sendError(response, response.status, defaultErrorMessage(response.status));
        return httplib::Server::HandlerResponse::Handled;
    };
    http_->set_error_handler(fillErrorBody);
    http_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        requestLog_.record(request.path);
        return faults_.intercept(request, response) ? httplib::Server::HandlerResponse::Handled
                                                    : httplib::Server::HandlerResponse::Unhandled;
    });
    addRoutes();
}

Server::~Server() = default;

void Server::addRoutes() {
    http_->Get("/healthz", guarded([](const httplib::Request&, httplib::Response& response) {
                   sendJson(response, 200, {{"status", "ok"}});
               }));
    addAdminRoutes(*http_, storage_);
    addRequestLogRoutes(*http_, requestLog_);
    addAuthRoutes(*http_, *authenticator_);
    addFaultRoutes(*http_, faults_);
    addSyncRoutes(*http_, *authenticator_, faults_);
    addInvoicePreviewRoutes(*http_, *authenticator_);
    addKvitraRoutes(*http_, *authenticator_);
    addVatExportRoutes(*http_, *authenticator_);
}

int Server::bind(int port) {
    if (port == 0) {
        const int bound = http_->bind_to_any_port(kLoopback);
        if (bound <= 0) throw ServiceError(500, "Geen vrije poort op 127.0.0.1 gevonden.");
        return bound;
    }
    if (!http_->bind_to_port(kLoopback, port)) {
        throw ServiceError(500, "Poort " + std::to_string(port) + " op 127.0.0.1 is niet beschikbaar.");
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
