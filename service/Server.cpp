#include "service/Server.h"

#include <httplib.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "service/admin/AdminRoutes.h"
#include "service/admin/ClockRoutes.h"
#include "service/auth/AuthRoutes.h"
#include "service/auth/RequestAuthentication.h"
#include "service/bank/BankRoutes.h"
#include "service/btw/BtwRoutes.h"
#include "service/dashboard/DashboardRoutes.h"
#include "service/data/DataRoutes.h"
#include "service/http/ErrorKinds.h"
#include "service/http/OwnHost.h"
#include "service/http/ServiceError.h"
#include "service/inbox/InboxReader.h"
#include "service/inbox/InboxRoutes.h"
#include "service/invoices/InvoiceExtraRoutes.h"
#include "service/invoices/InvoiceRoutes.h"
#include "service/notifications/NotificationRoutes.h"
#include "service/onboarding/OnboardingRoutes.h"
#include "service/org/OrgRoutes.h"
#include "service/proposals/ProposalRoutes.h"
#include "service/schedules/ScheduleRoutes.h"
#include "service/store/ServiceDatabase.h"
#include "service/sync/SyncRoutes.h"
#include "service/team/TeamRoutes.h"
#include "service/templates/TemplateRoutes.h"

namespace zelvorin::service {

namespace {

constexpr const char* kLoopback = "127.0.0.1";

}  // namespace

RouteTable serviceRoutes(const ServiceDatabase& database, const Authenticator& authenticator,
                         const AdminGate& adminGate, FaultSwitches& faults, RequestLog& log,
                         const MailOutbox& outbox, const Clock& clock, ManualClock* settableClock,
                         InboxReader& inboxReader, std::function<void()> afterClockMove) {
    // Every route that is not a GET is audited: its first transaction that changes a row gets one
    // audit entry (RequestAudit). A route whose change lies outside the database calls
    // RequestAudit::writeNow; one that changes nothing passes AuditRule::nothing("why") to
    // RouteTable::add. AuditedRoutes_test sends a valid request to each and counts the entries.
    RouteTable routes;
    addHealthRoute(routes);
    if (adminGate.enabled()) {
        addAdminRoutes(routes, database, faults, log);
        addClockRoutes(routes, clock, settableClock, std::move(afterClockMove));
    }
    addAuthRoutes(routes, database, authenticator, adminGate);
    addOnboardingRoutes(routes, database, authenticator);
    addTeamRoutes(routes, database, outbox);
    addSyncRoutes(routes, database);
    addInvoiceRoutes(routes, database, outbox);
    addInboxRoutes(routes, database, inboxReader);
    addBtwRoutes(routes, database);
    addBankRoutes(routes, database);
    addDashboardRoutes(routes, database);
    addTemplateRoutes(routes, database);
    addInvoiceExtraRoutes(routes, database);
    addScheduleRoutes(routes, database);
    addNotificationRoutes(routes, database);
    addProposalRoutes(routes, database, outbox);
    addOrgRoutes(routes, database);
    addDataRoutes(routes, database);
    return routes;
}

Server::Server(const ServiceDatabase& database, const Clock& clock, std::int64_t accessTokenLifetime,
               std::optional<std::string> smtpUrl, ManualClock* settableClock,
               std::optional<std::string> adminToken)
    : database_(database),
      clock_(clock),
      outbox_(database.path().parent_path(), std::move(smtpUrl)),
      scheduledSends_(database_, outbox_),
      scheduleInvoices_(database_),
      authenticator_(database.signingSecret(), accessTokenLifetime),
      adminGate_(std::move(adminToken)),
      inboxReader_(std::make_unique<InboxReader>(database, clock)),
      http_(std::make_unique<httplib::Server>()) {
    inboxReader_->resumeWaiting();
    router_ = std::make_unique<Router>(
        serviceRoutes(database_, authenticator_, adminGate_, faults_, requestLog_, outbox_, clock,
                      settableClock, *inboxReader_, [this] { runWhatCameDue(clock_.now()); }),
        clock,
        [this](const RequestContext& context, Access access) {
            if (access != Access::operator_)
                return authenticateCaller(database_, authenticator_, context, access);
            adminGate_.check(context);
            return Caller{};
        },
        [this](const httplib::Request& request, httplib::Response& response) {
            faults_.rewrite(request, response);
        });

    // Responses go out in two writes (head, body); with Nagle on, the second waits for the
    // client's delayed ACK, about 40 ms a request.
    http_->set_tcp_nodelay(true);
    http_->set_payload_max_length(tunables::kMaxRequestBodyBytes);
    // A data export is megabytes: a device that reads it slowly (a busy machine, a thin line)
    // stalls a write longer than the library's five seconds, which would end the answer half-way.
    http_->set_write_timeout(30, 0);
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
        // A page that rebinds its own name to 127.0.0.1 reaches this port with its name as Host;
        // answering it would hand the page whatever the service holds.
        if (!isOwnHost(request.get_header_value("Host"), port_)) {
            const Reply refused = Reply::error(
                ErrorKind::forbidden,
                "Deze dienst antwoordt alleen op 127.0.0.1:" + std::to_string(port_.load()) + ".");
            response.status = refused.status;
            response.set_content(refused.body, refused.contentType);
            return httplib::Server::HandlerResponse::Handled;
        }
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
        port_ = bound;
        return bound;
    }
    if (!http_->bind_to_port(kLoopback, port)) {
        throw ServiceError(ErrorKind::internal,
                           "Poort " + std::to_string(port) + " op 127.0.0.1 is niet beschikbaar.");
    }
    port_ = port;
    return port;
}

bool Server::serve() {
    std::jthread scheduler([this](std::stop_token stop) { sendWhatCameDue(stop); });
    return http_->listen_after_bind();
}

void Server::sendWhatCameDue(std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    while (!stop.stop_requested()) {
        try {
            runWhatCameDue(clock_.now());
        } catch (const std::exception& error) {
            // A database that stayed busy or a full disk: the schedules wait for the next round.
            std::fprintf(stderr, "zelvorin-service: geplande facturen en verzendingen: %s\n", error.what());
        }
        std::unique_lock lock(mutex);
        wake.wait_for(lock, stop, tunables::kScheduledSendCheckInterval, [] { return false; });
    }
}

void Server::runWhatCameDue(TimePoint now) {
    // Invoices first, so that one sent without a review window goes out in the same round.
    scheduleInvoices_.runDue(now);
    scheduledSends_.runDue(now);
}

void Server::stop() {
    http_->stop();
}

}  // namespace zelvorin::service
