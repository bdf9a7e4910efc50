#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zelvorin {

// Where a piece of work runs: the desktop posts to its GUI thread, the CLI and tests use a
// SerialExecutor.
class Executor {
public:
    virtual ~Executor() = default;
    virtual void post(std::function<void()> work) = 0;
};

// One thread running posted work in FIFO order. The destructor runs what is already queued, then
// joins. Work that throws is dropped with its exception (an executor has no one to report to).
class SerialExecutor final : public Executor {
public:
    SerialExecutor();
    ~SerialExecutor() override;
    SerialExecutor(const SerialExecutor&) = delete;
    SerialExecutor& operator=(const SerialExecutor&) = delete;

    void post(std::function<void()> work) override;
    bool isCurrentThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace zelvorin
