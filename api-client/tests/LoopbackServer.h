#pragma once

#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

namespace zelvorin::testing {

// A real HTTP server on a free loopback port, serving on its own thread for one test. Register
// the handlers on `server`, then start().
class LoopbackServer {
public:
    httplib::Server server;

    void start() {
        server.set_tcp_nodelay(true);
        port_ = server.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server.listen_after_bind(); });
        // stop() before the loop runs would be lost and the join would hang: wait for it.
        for (int i = 0; i < 5000 && !server.is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LoopbackServer() {
        server.stop();
        if (thread_.joinable()) thread_.join();
    }
    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    int port_ = 0;
    std::thread thread_;
};

}  // namespace zelvorin::testing
