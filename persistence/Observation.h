#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace zelvorin {

class DatabaseWriter;

// One observed query. It is re-run after every committed write that changed a table it read.
//
//   idle ──commit on its tables──► scheduled ──► running ──► idle
//                                                   │ commits meanwhile are remembered; if one
//                                                   └ touched the tables just read, scheduled again
//
// A commit during a run may or may not be in that run's snapshot, and the run is what tells which
// tables the query reads, so those commits are checked against the tables afterwards. Runs are
// coalesced: while one is queued, more commits add nothing. Values reach the subscriber in the
// order the runs happened.
class ObservationBase : public std::enable_shared_from_this<ObservationBase> {
public:
    virtual ~ObservationBase() = default;

    void schedule();
    void committed(const std::set<std::string>& writtenTables);
    void cancel() { cancelled_ = true; }
    bool isCancelled() const { return cancelled_; }

protected:
    explicit ObservationBase(DatabaseWriter& database) : database_(database) {}
    // Runs the query on a reader and hands the value to the subscriber's executor; returns the
    // tables the query read.
    virtual std::set<std::string> runAndDeliver() = 0;
    DatabaseWriter& database_;

private:
    void run();

    std::mutex mutex_;
    std::set<std::string> tables_;
    bool scheduled_ = false;
    bool running_ = false;
    std::set<std::string> writtenWhileRunning_;
    std::atomic<bool> cancelled_{false};
};

// Keeps an observation alive; destroying it (or calling cancel) stops deliveries.
class ObservationHandle {
public:
    ObservationHandle() = default;
    explicit ObservationHandle(std::shared_ptr<ObservationBase> observation)
        : observation_(std::move(observation)) {}
    ~ObservationHandle() { cancel(); }
    ObservationHandle(ObservationHandle&&) noexcept = default;
    ObservationHandle& operator=(ObservationHandle&& other) noexcept {
        if (this != &other) {
            cancel();
            observation_ = std::move(other.observation_);
        }
        return *this;
    }
    ObservationHandle(const ObservationHandle&) = delete;
    ObservationHandle& operator=(const ObservationHandle&) = delete;

    void cancel() {
        if (observation_) observation_->cancel();
        observation_.reset();
    }

private:
    std::shared_ptr<ObservationBase> observation_;
};

}  // namespace zelvorin
