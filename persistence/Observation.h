#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace zelvorin {

class DatabaseWriter;

// One observed query. It is re-run after every committed write that changed a table it read; a
// commit that lands while it is running makes it run once more, so no change is missed between
// its snapshot and learning which tables it reads. Runs are coalesced: while one is queued, more
// commits add nothing. Values reach the subscriber in the order the runs happened.
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
    bool dirty_ = false;
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
