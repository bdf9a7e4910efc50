#pragma once

#include <cstdint>
#include <memory>

#include "service/FaultSwitches.h"
#include "service/RequestLog.h"

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Storage;
class Authenticator;

// The HTTP side of the service, on 127.0.0.1 only. bind() then serve() on one thread; stop()
// from any other thread (a signal watcher, a test) makes serve() return.
class Server {
public:
    // `accessTokenLifetime`: seconds an access token is valid (tests shorten it).
    explicit Server(Storage& storage, std::int64_t accessTokenLifetime = 900);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds the loopback port (0: one the system picks) and returns it. Throws ServiceError
    // when the port cannot be bound.
    int bind(int port);
    // Answers requests until stop(). Returns false when the listener failed.
    bool serve();
    void stop();

    // Checks the access tokens of authorised routes (see service/auth/RequestAuthentication.h).
    Authenticator& authenticator() { return *authenticator_; }
    RequestLog& requestLog() { return requestLog_; }
    FaultSwitches& faults() { return faults_; }

private:
    void addRoutes();

    Storage& storage_;
    std::unique_ptr<Authenticator> authenticator_;
    RequestLog requestLog_;
    FaultSwitches faults_;
    std::unique_ptr<httplib::Server> http_;
};

}  // namespace zelvorin::service
