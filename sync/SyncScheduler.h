#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "sync/SyncTrigger.h"
#include "sync/SyncWaiter.h"

namespace zelvorin {

// Watches whether a usable network path exists and reports every change of it (and once at
// start) on its own thread until cancelled.
class NetworkPathMonitor {
public:
    virtual ~NetworkPathMonitor();
    virtual void start(std::function<void(bool satisfied)> onReport) = 0;
    // Returns once no report can arrive any more.
    virtual void cancel() = 0;
};

// What the scheduler asks of the application it runs in.
class SyncSchedulerHost {
public:
    virtual ~SyncSchedulerHost();
    virtual bool isSignedIn() = 0;
    virtual void replayQueuedActions() = 0;
    virtual void drainPendingUploads() = 0;
    virtual void importSharedFiles() = 0;
    // Runs one engine cycle (the engine drops it when one is running).
    virtual void runSync(SyncTrigger trigger, std::stop_token stop) = 0;
};

// Decides when the engine runs after sign-in: on regaining the network (reconnect), every 300 s
// (background), on the 900 s background activity, and when the window becomes active again.
//
//   stopped --start--> watching (first path report only remembered) --stop--> stopped
//
// Each piece of work it raises runs on a thread of its own, so a trigger that arrives during a
// cycle reaches the engine at once and is dropped there instead of queueing behind it. stop()
// cancels the monitor, the timers and every task's waits, and returns when nothing of the
// scheduler runs any more.
class SyncScheduler {
public:
    SyncScheduler(std::unique_ptr<NetworkPathMonitor> monitor,
                  std::shared_ptr<SyncWaiter> waiter = std::make_shared<MonotonicSyncWaiter>());
    ~SyncScheduler();
    SyncScheduler(const SyncScheduler&) = delete;
    SyncScheduler& operator=(const SyncScheduler&) = delete;

    // The host must outlive the run until stop().
    void start(SyncSchedulerHost& host);
    void stop();
    bool isRunning() const;

    // The window became active again.
    void sceneBecameActive();

    // Entry points of the monitor and the timers (public so the order of events can be tested).
    void pathReported(bool satisfied);
    void timerTicked();
    void backgroundActivityRan();

private:
    void post(std::function<void(SyncSchedulerHost&, std::stop_token)> work);
    void repeatEvery(std::chrono::seconds period, void (SyncScheduler::*tick)(), std::stop_token stop);

    std::unique_ptr<NetworkPathMonitor> monitor_;
    std::shared_ptr<SyncWaiter> waiter_;

    mutable std::mutex mutex_;  // guards the state below
    SyncSchedulerHost* host_ = nullptr;
    std::optional<bool> lastPathSatisfied_;
    struct Task {
        std::shared_ptr<std::atomic<bool>> finished;
        std::jthread thread;
    };
    std::list<Task> tasks_;
    std::stop_source tasksStop_;

    std::jthread periodicTimer_;
    std::jthread backgroundActivity_;
};

}  // namespace zelvorin
