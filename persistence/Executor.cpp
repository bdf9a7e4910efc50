#include "persistence/Executor.h"

#include <cassert>

namespace zelvorin {

SerialExecutor::SerialExecutor() : thread_([this] { run(); }) {}

SerialExecutor::~SerialExecutor() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    assert(!isCurrentThread() && "a SerialExecutor cannot be destroyed by its own work");
    if (thread_.joinable()) thread_.join();
}

void SerialExecutor::post(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void SerialExecutor::run() {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;  // stopping and drained
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            work();
        } catch (...) {
        }
    }
}

}  // namespace zelvorin
