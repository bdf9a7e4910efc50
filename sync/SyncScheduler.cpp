#include "sync/SyncScheduler.h"

#include "sync/SyncTuning.h"

namespace zelvorin {

NetworkPathMonitor::~NetworkPathMonitor() = default;
SyncSchedulerHost::~SyncSchedulerHost() = default;

SyncScheduler::SyncScheduler(std::unique_ptr<NetworkPathMonitor> monitor, std::shared_ptr<SyncWaiter> waiter)
    : monitor_(std::move(monitor)), waiter_(std::move(waiter)) {}

SyncScheduler::~SyncScheduler() {
    stop();
}

void SyncScheduler::start(SyncSchedulerHost& host) {
    stop();
    {
        std::lock_guard lock(mutex_);
        host_ = &host;
        lastPathSatisfied_.reset();
        tasksStop_ = std::stop_source();
    }
    monitor_->start([this](bool satisfied) { pathReported(satisfied); });
    periodicTimer_ = std::jthread([this](std::stop_token stop) {
        repeatEvery(SyncTuning::kForegroundTimerPeriod, &SyncScheduler::timerTicked, stop);
    });
    backgroundActivity_ = std::jthread([this](std::stop_token stop) {
        repeatEvery(SyncTuning::kBackgroundActivityPeriod, &SyncScheduler::backgroundActivityRan, stop);
    });
}

void SyncScheduler::stop() {
    monitor_->cancel();
    for (std::jthread* thread : {&periodicTimer_, &backgroundActivity_}) {
        if (!thread->joinable()) continue;
        thread->request_stop();
        thread->join();
    }
    std::list<Task> tasks;
    {
        std::lock_guard lock(mutex_);
        host_ = nullptr;  // nothing new is posted from here on
        lastPathSatisfied_.reset();
        tasksStop_.request_stop();
        tasks.swap(tasks_);
    }
    tasks.clear();  // joins them
}

bool SyncScheduler::isRunning() const {
    std::lock_guard lock(mutex_);
    return host_ != nullptr;
}

void SyncScheduler::repeatEvery(std::chrono::seconds period, void (SyncScheduler::*tick)(),
                                std::stop_token stop) {
    while (waiter_->waitFor(std::chrono::duration_cast<std::chrono::milliseconds>(period), stop))
        (this->*tick)();
}

void SyncScheduler::post(std::function<void(SyncSchedulerHost&, std::stop_token)> work) {
    std::lock_guard lock(mutex_);
    if (!host_) return;
    // Finished tasks are joined here, so the list holds only what may still run.
    tasks_.remove_if([](const Task& task) { return task.finished->load(); });
    SyncSchedulerHost& host = *host_;
    std::stop_token stop = tasksStop_.get_token();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    tasks_.push_back({finished, std::jthread([work = std::move(work), &host, stop, finished] {
                          work(host, stop);
                          finished->store(true);
                      })});
}

void SyncScheduler::pathReported(bool satisfied) {
    bool regained = false;
    {
        std::lock_guard lock(mutex_);
        if (!host_) return;
        // The first report after a start only tells the current state: it never syncs.
        if (lastPathSatisfied_) regained = satisfied && !*lastPathSatisfied_;
        lastPathSatisfied_ = satisfied;
    }
    if (!regained) return;
    post([](SyncSchedulerHost& host, std::stop_token stop) {
        if (!host.isSignedIn()) return;
        host.replayQueuedActions();
        host.drainPendingUploads();
        host.runSync(SyncTrigger::reconnect, stop);
    });
}

void SyncScheduler::timerTicked() {
    post([](SyncSchedulerHost& host, std::stop_token stop) {
        if (host.isSignedIn()) host.runSync(SyncTrigger::background, stop);
    });
}

void SyncScheduler::backgroundActivityRan() {
    post([](SyncSchedulerHost& host, std::stop_token stop) {
        if (!host.isSignedIn()) return;
        host.replayQueuedActions();
        host.runSync(SyncTrigger::background, stop);
    });
}

void SyncScheduler::sceneBecameActive() {
    post([](SyncSchedulerHost& host, std::stop_token stop) {
        if (!host.isSignedIn()) return;
        host.importSharedFiles();
        host.runSync(SyncTrigger::foregroundReturn, stop);
    });
}

}  // namespace zelvorin
