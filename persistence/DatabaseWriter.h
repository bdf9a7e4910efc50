#pragma once

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "persistence/Executor.h"
#include "persistence/Observation.h"
#include "persistence/sqlite/Connection.h"

namespace zelvorin {

// The one way into the database: a single writer connection that serialises every write, and a
// small pool of reader connections (WAL mode) that read committed snapshots concurrently with each
// other and with a write. The in-memory variant is one connection for everything.
//
// Each write() is one BEGIN IMMEDIATE transaction, committed when the function returns and rolled
// back when it throws. After a commit, every observation whose tables the transaction changed is
// re-run on a background thread and its value posted to the subscriber's executor.
class DatabaseWriter {
public:
    static constexpr int kMaxReaders = 4;

    static std::shared_ptr<DatabaseWriter> openPool(const std::filesystem::path& path);
    static std::shared_ptr<DatabaseWriter> openInMemory();
    ~DatabaseWriter();
    DatabaseWriter(const DatabaseWriter&) = delete;
    DatabaseWriter& operator=(const DatabaseWriter&) = delete;

    template <class F>
    auto read(F&& f) -> std::invoke_result_t<F, Connection&> {
        TableAccess ignored;
        return readTracked(std::forward<F>(f), ignored);
    }

    // f must not call read() or write() of this same writer: the in-memory variant would wait for
    // itself, and a pooled read would not see the uncommitted write anyway.
    template <class F>
    auto write(F&& f) -> std::invoke_result_t<F, Connection&> {
        using R = std::invoke_result_t<F, Connection&>;
        WriterLock lock(*this);
        writer_.clearTableAccess();
        if constexpr (std::is_void_v<R>) {
            runInTransaction(f);
            finishWrite(lock);
        } else {
            std::optional<R> result;
            runInTransaction([&](Connection& c) { result.emplace(f(c)); });
            finishWrite(lock);
            return std::move(*result);
        }
    }

    // Runs `f` on a committed snapshot and reports the tables its statements read.
    template <class F>
    auto readTracked(F&& f, TableAccess& access) -> std::invoke_result_t<F, Connection&> {
        Lease lease = lease_();
        Connection& connection = *lease.connection;
        connection.clearTableAccess();
        Transaction transaction(connection, Transaction::Kind::deferred);
        if constexpr (std::is_void_v<std::invoke_result_t<F, Connection&>>) {
            f(connection);
            access = connection.takeTableAccess();
            transaction.commit();
        } else {
            auto result = f(connection);
            access = connection.takeTableAccess();
            transaction.commit();
            return result;
        }
    }

    // Delivers query's value on `deliverOn` now and after every commit that changed a table the
    // query read, until the handle goes away. The caller keeps `deliverOn` alive as long as it
    // wants values.
    template <class T>
    ObservationHandle observe(std::function<T(Connection&)> query, std::function<void(T)> onValue,
                              std::shared_ptr<Executor> deliverOn);

    // Runs f on the writer connection outside any transaction, with writes held off: for work
    // that manages its own transactions (migrations). Observers hear about nothing it does.
    template <class F>
    void withWriterConnection(F&& f) {
        WriterLock lock(*this);
        f(writer_);
        writer_.clearTableAccess();
    }

    bool isInMemory() const { return inMemory_; }
    // Posts work to the thread that re-runs observations (used by Observation).
    void postObservationWork(std::function<void()> work) { observationThread_->post(std::move(work)); }

private:
    // Holds the writer connection and remembers which thread does, so a write inside a write
    // fails an assertion instead of waiting for ever.
    class WriterLock {
    public:
        explicit WriterLock(DatabaseWriter& owner);
        ~WriterLock();
        WriterLock(const WriterLock&) = delete;
        WriterLock& operator=(const WriterLock&) = delete;
        void unlock();

    private:
        DatabaseWriter& owner_;
        std::unique_lock<std::mutex> lock_;
    };

    template <class F>
    void runInTransaction(F&& f) {
        Transaction transaction(writer_, Transaction::Kind::immediate);
        f(writer_);
        transaction.commit();
    }
    // After the commit: lets the next writer in, then tells the observations what changed.
    void finishWrite(WriterLock& lock);

    struct Lease {
        DatabaseWriter* owner = nullptr;
        std::unique_ptr<Connection> pooled;  // a reader of the pool
        std::unique_ptr<WriterLock> serial;  // held instead when there is one connection
        Connection* connection = nullptr;
        Lease() = default;
        Lease(Lease&&) noexcept = default;
        ~Lease();
    };

    DatabaseWriter(Connection writer, std::filesystem::path path, bool inMemory);
    Lease lease_();
    void committed(const std::set<std::string>& written);
    void track(const std::shared_ptr<ObservationBase>& observation);

    std::filesystem::path path_;
    bool inMemory_;
    std::mutex writerMutex_;
    std::atomic<std::thread::id> writerThread_{};
    Connection writer_;

    std::mutex poolMutex_;
    std::condition_variable readerReturned_;
    std::vector<std::unique_ptr<Connection>> idleReaders_;
    int openReaders_ = 0;

    std::mutex observationsMutex_;
    std::vector<std::weak_ptr<ObservationBase>> observations_;
    // Declared last: destroyed first, so queued re-runs finish while the connections still exist.
    std::unique_ptr<SerialExecutor> observationThread_;
};

template <class T>
class TypedObservation final : public ObservationBase {
public:
    TypedObservation(DatabaseWriter& database, std::function<T(Connection&)> query,
                     std::function<void(T)> onValue, std::shared_ptr<Executor> deliverOn)
        : ObservationBase(database),
          query_(std::move(query)),
          onValue_(std::move(onValue)),
          deliverOn_(std::move(deliverOn)) {}

private:
    // Neither the queued delivery nor the observation keeps the subscriber's executor alive: the
    // last owner of an observation can be its own delivery, and an executor must never be
    // destroyed by its own work. An executor that is gone gets nothing more.
    std::set<std::string> runAndDeliver() override {
        TableAccess access;
        T value = database_.readTracked(query_, access);
        if (const std::shared_ptr<Executor> executor = deliverOn_.lock()) {
            std::weak_ptr<TypedObservation> weakSelf =
                std::static_pointer_cast<TypedObservation>(shared_from_this());
            executor->post([weakSelf, value = std::move(value)]() mutable {
                if (const auto self = weakSelf.lock(); self && !self->isCancelled())
                    self->onValue_(std::move(value));
            });
        }
        return access.read;
    }

    std::function<T(Connection&)> query_;
    std::function<void(T)> onValue_;
    std::weak_ptr<Executor> deliverOn_;
};

template <class T>
ObservationHandle DatabaseWriter::observe(std::function<T(Connection&)> query, std::function<void(T)> onValue,
                                          std::shared_ptr<Executor> deliverOn) {
    auto observation = std::make_shared<TypedObservation<T>>(*this, std::move(query), std::move(onValue),
                                                             std::move(deliverOn));
    track(observation);
    observation->schedule();
    return ObservationHandle(observation);
}

}  // namespace zelvorin
