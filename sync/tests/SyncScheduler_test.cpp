#include "sync/SyncScheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zelvorin {
namespace {

// The network path is the platform edge: this monitor reports what the test says.
class ScriptedMonitor final : public NetworkPathMonitor {
public:
    void start(std::function<void(bool)> onReport) override {
        std::lock_guard lock(mutex);
        report = std::move(onReport);
        ++starts;
    }
    void cancel() override {
        std::lock_guard lock(mutex);
        report = nullptr;
    }
    void send(bool satisfied) {
        std::function<void(bool)> r;
        {
            std::lock_guard lock(mutex);
            r = report;
        }
        if (r) r(satisfied);
    }
    bool active() {
        std::lock_guard lock(mutex);
        return report != nullptr;
    }
    std::mutex mutex;
    std::function<void(bool)> report;
    int starts = 0;
};

// Timers that only tick when the test's own clock says so: waits block until stopped.
class StoppedClockWaiter final : public SyncWaiter {
public:
    bool waitFor(std::chrono::milliseconds, std::stop_token stop) override {
        std::mutex m;
        std::condition_variable_any cv;
        std::unique_lock lock(m);
        cv.wait(lock, stop, [] { return false; });
        return false;
    }
};

class RecordingHost final : public SyncSchedulerHost {
public:
    bool isSignedIn() override { return signedIn; }
    void replayQueuedActions() override { note("replay"); }
    void drainPendingUploads() override { note("drain"); }
    void importSharedFiles() override { note("import"); }
    void runSync(SyncTrigger trigger, std::stop_token) override {
        note("sync:" + std::string(caseName(trigger)));
    }

    std::vector<std::string> events() {
        std::lock_guard lock(mutex);
        return events_;
    }
    std::atomic<bool> signedIn{true};

private:
    void note(std::string event) {
        std::lock_guard lock(mutex);
        events_.push_back(std::move(event));
    }
    std::mutex mutex;
    std::vector<std::string> events_;
};

class SyncSchedulerTest : public ::testing::Test {
protected:
    SyncSchedulerTest() {
        auto monitor = std::make_unique<ScriptedMonitor>();
        monitor_ = monitor.get();
        scheduler_ =
            std::make_unique<SyncScheduler>(std::move(monitor), std::make_shared<StoppedClockWaiter>());
    }
    // Work runs on the scheduler's threads; stop() joins them, after which events are final.
    std::vector<std::string> eventsAfterStop() {
        scheduler_->stop();
        return host_.events();
    }

    ScriptedMonitor* monitor_ = nullptr;
    std::unique_ptr<SyncScheduler> scheduler_;
    RecordingHost host_;
};

TEST_F(SyncSchedulerTest, OnlyRegainingTheNetworkSyncsAndOnlyWhenSignedIn) {
    scheduler_->start(host_);
    monitor_->send(true);  // the first report after a start: remembered only
    monitor_->send(true);  // satisfied twice: nothing
    monitor_->send(false);
    monitor_->send(true);  // regained
    scheduler_->stop();
    EXPECT_EQ(host_.events(), (std::vector<std::string>{"replay", "drain", "sync:reconnect"}));

    RecordingHost signedOut;
    signedOut.signedIn = false;
    scheduler_->start(signedOut);
    monitor_->send(false);
    monitor_->send(true);
    scheduler_->stop();
    EXPECT_TRUE(signedOut.events().empty());
}

TEST_F(SyncSchedulerTest, TimerActivityAndForegroundRaiseTheirTriggers) {
    scheduler_->start(host_);
    scheduler_->timerTicked();
    scheduler_->stop();
    scheduler_->start(host_);
    scheduler_->backgroundActivityRan();
    scheduler_->stop();
    scheduler_->start(host_);
    scheduler_->sceneBecameActive();
    EXPECT_EQ(eventsAfterStop(), (std::vector<std::string>{"sync:background", "replay", "sync:background",
                                                           "import", "sync:foregroundReturn"}));
}

TEST_F(SyncSchedulerTest, StopLeavesNothingRunningAndARestartForgetsThePath) {
    scheduler_->start(host_);
    monitor_->send(false);
    scheduler_->stop();
    EXPECT_FALSE(monitor_->active());
    EXPECT_FALSE(scheduler_->isRunning());
    scheduler_->timerTicked();  // after stop: nothing
    monitor_->send(true);
    scheduler_->start(host_);
    EXPECT_EQ(monitor_->starts, 2);
    monitor_->send(true);  // first report of the new start, though the path was down before
    EXPECT_TRUE(eventsAfterStop().empty());
}

}  // namespace
}  // namespace zelvorin
