#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "testing/TempDir.h"

namespace zelvorin::testing {

// A real zelvorin-service child process on a free loopback port with its own data directory.
// The constructor returns once the service answers /healthz; the destructor kills and reaps it,
// also when the test failed half-way. A child whose test process dies is killed by the kernel.
class ServiceProcess {
public:
    struct Options {
        bool seedDemo = false;
        std::optional<std::string> seedDate;     // "yyyy-MM-dd"; the service's default (today) when absent
        std::optional<int> accessTokenLifetime;  // seconds; the service's default (900) when absent
        int seedVolume = 0;                      // records added to the demo organisation (--seed-volume)
        // The service's clock stands still at this instant ("2026-03-16T10:00:00Z", --now) and
        // moves only by advanceClock; a restart starts it there again.
        std::optional<std::string> now;
        // The admin routes (records, faults, clock, request counts) and the hand-off's automatic
        // sign-in, behind a token this object writes and sends with every request of its own.
        bool adminRoutes = true;
    };

    // What a run to completion printed and how it ended (see runToExit).
    struct CompletedRun {
        int exitCode = -1;  // -1: killed by a signal, or did not end within the bound
        std::string standardOutput;
        std::string standardError;
    };

    struct HttpAnswer {
        int status = 0;
        std::string body;
    };

    // The demo organisations laid out around 16 March 2026 (a Monday in the first quarter), plus
    // `volume` records for sync at volume.
    static Options demo(int volume = 0);

    ServiceProcess();
    explicit ServiceProcess(Options options);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    int port() const { return port_; }
    std::string baseUrl() const;  // "http://127.0.0.1:<port>/"
    const std::filesystem::path& dataDir() const { return dataDir_.path(); }
    bool running() const { return pid_ > 0; }
    // The admin token the service was started with (empty without admin routes), and the header
    // that carries it.
    const std::string& adminToken() const { return adminToken_; }
    static const char* adminTokenHeader();

    // SIGTERM, then waits for the exit (SIGKILL if it takes unreasonably long). Returns the exit
    // code, -1 when it had to be killed. Does nothing and returns the last code when not running.
    int stop();
    // SIGKILL, as a crash or a pulled plug would end it; the data directory stays.
    void kill();
    // Stops the service if it runs and starts it again on the same data directory, options and
    // port, so that clients keep their address.
    void restart();

    // The requests below carry the admin token; `path` starts with "/".
    // A GET against the running service.
    HttpAnswer get(const std::string& path) const;
    // A request with a JSON body (POST) or none (GET), with "Authorization: Bearer <token>" when
    // `bearer` is not empty.
    HttpAnswer post(const std::string& path, const std::string& jsonBody,
                    const std::string& bearer = {}) const;
    // A DELETE without a body, for the admin routes that clear state.
    HttpAnswer remove(const std::string& path) const;
    HttpAnswer getAuthorized(const std::string& path, const std::string& bearer) const;
    // Moves a service started with `now` forward; the service has run what came due when this
    // returns. Throws when the service refused (a clock that follows the system's).
    void advanceClock(std::chrono::seconds by) const;

    // Runs the service binary with `arguments` until it exits by itself (bounded), for checking
    // how it refuses bad input.
    static CompletedRun runToExit(const std::vector<std::string>& arguments);
    static std::string binaryPath();

private:
    void start();
    void waitUntilHealthy() const;

    Options options_;
    TempDir dataDir_;
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    int port_ = 0;
    int lastExitCode_ = -1;
    std::string adminToken_;
};

}  // namespace zelvorin::testing
