#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>

#include "domain/Clock.h"
#include "service/ServiceTunables.h"
#include "service/admin/AdminGate.h"
#include "service/admin/FaultSwitches.h"
#include "service/admin/RequestLog.h"
#include "service/auth/Authenticator.h"
#include "service/http/Router.h"
#include "service/invoices/InvoiceScheduleActions.h"
#include "service/invoices/MailOutbox.h"
#include "service/schedules/ScheduleInvoiceRunner.h"

namespace httplib {
class Server;
}

namespace zelvorin::service {

class InboxReader;
class ServiceDatabase;

// The HTTP side of the service, on 127.0.0.1 only: every family's routes in one table behind one
// router. bind() then serve() on one thread; stop() from any other thread (a signal watcher, a
// test) makes serve() return.
class Server {
public:
    // `accessTokenLifetime`: seconds an access token is valid (tests shorten it). `clock` is what
    // every request reads "now" from; it must outlive the server.
    // `smtpUrl`: where sent messages are delivered besides the outbox. `settableClock`: the same
    // clock when it stands still and the admin clock route may move it (the service's --now).
    // `adminToken`: the operator's token; without it the admin routes do not exist.
    Server(const ServiceDatabase& database, const Clock& clock,
           std::int64_t accessTokenLifetime = tunables::kDefaultAccessTokenLifetime,
           std::optional<std::string> smtpUrl = std::nullopt, ManualClock* settableClock = nullptr,
           std::optional<std::string> adminToken = std::nullopt);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds the loopback port (0: one the system picks) and returns it. Throws ServiceError
    // when the port cannot be bound.
    int bind(int port);
    // Answers requests until stop(). Returns false when the listener failed.
    bool serve();
    void stop();

    const Router& router() const { return *router_; }
    RequestLog& requestLog() { return requestLog_; }
    FaultSwitches& faults() { return faults_; }
    InboxReader& inboxReader() { return *inboxReader_; }

private:
    // Sends what came due on the service's clock, on its own thread while serve() runs.
    void sendWhatCameDue(std::stop_token stop);
    // The invoices of schedules and the scheduled sends whose moment has come.
    void runWhatCameDue(TimePoint now);

    const ServiceDatabase& database_;
    const Clock& clock_;
    MailOutbox outbox_;
    ScheduledSendRunner scheduledSends_;
    ScheduleInvoiceRunner scheduleInvoices_;
    Authenticator authenticator_;
    AdminGate adminGate_;
    std::atomic<int> port_{0};
    RequestLog requestLog_;
    FaultSwitches faults_;
    std::unique_ptr<InboxReader> inboxReader_;  // reads uploaded documents off the request threads
    std::unique_ptr<Router> router_;
    std::unique_ptr<httplib::Server> http_;
};

// Every route of the service, for the router and for tests that walk the table; the admin routes
// only when `adminGate` is enabled. `afterClockMove` runs when the admin clock route moved
// `settableClock`.
RouteTable serviceRoutes(const ServiceDatabase& database, const Authenticator& authenticator,
                         const AdminGate& adminGate, FaultSwitches& faults, RequestLog& log,
                         const MailOutbox& outbox, const Clock& clock, ManualClock* settableClock,
                         InboxReader& inboxReader, std::function<void()> afterClockMove = {});

}  // namespace zelvorin::service
