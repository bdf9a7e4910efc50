// zelvorin-service --port N --data DIR [--seed demo] [--seed-date YYYY-MM-DD] [--seed-volume N]
//                  [--access-token-lifetime SECONDS] [--smtp-url URL] [--now ISO-TIME]
//                  [--admin-token FILE]
//
// Prints "zelvorin-service listening on 127.0.0.1:<port>" once it accepts connections, so that
// a parent that started it with --port 0 can read the port. SIGTERM and SIGINT stop it cleanly.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <thread>

#include "domain/Clock.h"
#include "service/CommandLine.h"
#include "service/Server.h"
#include "service/seed/DemoSeed.h"
#include "service/store/ServiceDatabase.h"

namespace {

using namespace zelvorin::service;

sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

// Waits for SIGTERM/SIGINT on its own thread and stops the server. stop() before the listener
// runs is lost, so it repeats until serve() has returned.
class StopSignalWatcher {
public:
    StopSignalWatcher(Server& server, const std::atomic<bool>& served)
        : thread_([this, &server, &served] { watch(server, served); }) {}

    // Wakes the watcher when serve() ended for another reason, and waits for it.
    ~StopSignalWatcher() {
        if (!signalled_) pthread_kill(thread_.native_handle(), SIGTERM);
        thread_.join();
    }

private:
    void watch(Server& server, const std::atomic<bool>& served) {
        const sigset_t signals = stopSignals();
        int signal = 0;
        sigwait(&signals, &signal);
        signalled_ = true;
        while (!served) {
            server.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::atomic<bool> signalled_{false};
    std::thread thread_;
};

int run(const ServiceOptions& options) {
    const ServiceDatabase database(options.dataDir);
    if (options.seedDemo && !seedDemo(database, options.seedDate, options.seedVolume)) {
        std::cerr << "zelvorin-service: de opslag bevat al gegevens; de demo wordt niet opnieuw ingelezen.\n";
    }
    // A clock that stands still (--now) makes every stamp of a run the same from run to run; a
    // clock that ran on from there would stamp whatever moment each request happened to arrive.
    const zelvorin::SystemClock systemClock;
    std::optional<zelvorin::ManualClock> fixedClock;
    if (options.fixedNow) fixedClock.emplace(*options.fixedNow);
    const zelvorin::Clock& clock =
        fixedClock ? static_cast<const zelvorin::Clock&>(*fixedClock) : systemClock;
    Server server(database, clock, options.accessTokenLifetime, options.smtpUrl,
                  fixedClock ? &*fixedClock : nullptr, options.adminToken);
    const int port = server.bind(options.port);

    std::atomic<bool> served{false};
    bool listened = false;
    {
        StopSignalWatcher watcher(server, served);
        std::cout << "zelvorin-service listening on 127.0.0.1:" << port << std::endl;
        listened = server.serve();
        served = true;
    }
    return listened ? 0 : 1;
}

std::chrono::year_month_day todayUtc() {
    return std::chrono::year_month_day{
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
}

}  // namespace

int main(int argc, char** argv) {
    // Blocked before any thread exists, so every thread inherits the mask and only the watcher
    // ever takes these signals.
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // A client that hangs up mid-response must not end the process.
    std::signal(SIGPIPE, SIG_IGN);

    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return run(parseCommandLine(arguments, todayUtc()));
    } catch (const CommandLineError& error) {
        (error.exitCode() == 0 ? std::cout : std::cerr) << error.what() << std::endl;
        return error.exitCode();
    } catch (const std::exception& error) {
        std::cerr << "zelvorin-service: " << error.what() << std::endl;
        return 1;
    }
}
