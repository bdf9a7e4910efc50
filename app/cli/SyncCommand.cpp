#include <pthread.h>

#include <csignal>
#include <memory>
#include <ostream>
#include <thread>

#include <nlohmann/json.hpp>

#include "app/cli/Commands.h"
#include "app/cli/ExitCodes.h"
#include "domain/Clock.h"
#include "persistence/sync/GRDBSyncStore.h"

namespace zelvorin::cli {

namespace {

// Exit codes of a cycle that ended without syncing: the same as the CLI's other failures.
int exitCode(const SyncEngineStatus& status) {
    switch (status.statusCase()) {
        case SyncEngineStatus::Case::offline:
            return static_cast<int>(ExitCode::network);
        case SyncEngineStatus::Case::failed:
            return static_cast<int>(ExitCode::failed);
        default:
            return 0;
    }
}

void printStatus(CliContext& context, const SyncEngineStatus& status) {
    AppEnvironment& environment = context.environment();
    GRDBSyncStore counts(environment.database(), std::make_shared<SystemClock>());
    const std::int64_t pending = counts.pendingChangeCount();
    const std::int64_t conflicts = counts.conflictCount();
    const std::string text = describe(displayStatus(status));
    if (context.json) {
        nlohmann::ordered_json body{{"status", std::string(caseName(status.statusCase()))},
                                    {"description", text},
                                    {"pendingChanges", pending},
                                    {"conflicts", conflicts}};
        context.out() << body.dump() << std::endl;
        return;
    }
    context.out() << "Sync: " << text << " — " << pending << " wachtende wijziging(en), " << conflicts
                  << " conflict(en)" << std::endl;
}

// Runs the environment's scheduler, printing every status change, until SIGINT or SIGTERM.
void watch(CliContext& context) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    // Blocked before any thread starts, so every thread inherits the mask and the signal waits
    // for sigwait below instead of killing the process mid-transaction.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    AppEnvironment& environment = context.environment();
    environment.setSyncStatusObserver(
        [&context](const SyncEngineStatus& status) { printStatus(context, status); });
    // The session was resumed by the caller: start the scheduler and the launch cycle.
    environment.start();
    std::jthread launch([&environment](std::stop_token stop) {
        environment.syncEngine().sync(SyncTrigger::appLaunch, stop);
    });
    int received = 0;
    sigwait(&signals, &received);
    launch.request_stop();
    environment.stop();
    launch.join();
    environment.setSyncStatusObserver({});
}

void runSync(CliContext& context, bool keepWatching) {
    context.requireSignedIn();
    if (keepWatching) {
        watch(context);
        return;
    }
    AppEnvironment& environment = context.environment();
    environment.syncNow();
    const SyncEngineStatus status = environment.syncEngine().status();
    printStatus(context, status);
    if (const int code = exitCode(status); code != 0) throw CLI::RuntimeError(code);
}

}  // namespace

void addSyncCommand(CLI::App& app, CliContext& context) {
    auto* command =
        app.add_subcommand("sync", "Synchroniseer met de dienst: wijzigingen versturen en ophalen");
    auto keepWatching = std::make_shared<bool>(false);
    command->add_flag("--watch", *keepWatching,
                      "Blijf synchroniseren en toon elke statuswijziging (Ctrl-C stopt)");
    command->callback([&context, keepWatching] { runSync(context, *keepWatching); });
}

}  // namespace zelvorin::cli
