#include "persistence/DatabaseWriter.h"

#include <algorithm>
#include <cassert>

namespace zelvorin {

namespace {

constexpr int kBusyTimeoutMs = 5000;

}  // namespace

DatabaseWriter::DatabaseWriter(Connection writer, std::filesystem::path path, bool inMemory)
    : path_(std::move(path)),
      inMemory_(inMemory),
      writer_(std::move(writer)),
      observationThread_(std::make_unique<SerialExecutor>()) {}

DatabaseWriter::~DatabaseWriter() {
    {
        std::lock_guard lock(observationsMutex_);
        for (auto& weak : observations_) {
            if (auto observation = weak.lock()) observation->cancel();
        }
    }
    observationThread_.reset();
}

std::shared_ptr<DatabaseWriter> DatabaseWriter::openPool(const std::filesystem::path& path) {
    Connection writer = Connection::open(path);
    writer.setBusyTimeout(kBusyTimeoutMs);
    // Switching to WAL reads the file header: a file that is not a database fails here.
    Statement journal = writer.prepare("PRAGMA journal_mode=WAL");
    journal.step();
    writer.clearTableAccess();
    return std::shared_ptr<DatabaseWriter>(new DatabaseWriter(std::move(writer), path, false));
}

std::shared_ptr<DatabaseWriter> DatabaseWriter::openInMemory() {
    return std::shared_ptr<DatabaseWriter>(new DatabaseWriter(Connection::openInMemory(), {}, true));
}

DatabaseWriter::WriterLock::WriterLock(DatabaseWriter& owner) : owner_(owner) {
    assert(owner_.writerThread_.load() != std::this_thread::get_id() &&
           "the writer is already held by this thread: a read or write inside a write");
    lock_ = std::unique_lock(owner_.writerMutex_);
    owner_.writerThread_ = std::this_thread::get_id();
}

DatabaseWriter::WriterLock::~WriterLock() {
    if (lock_.owns_lock()) unlock();
}

void DatabaseWriter::WriterLock::unlock() {
    owner_.writerThread_ = std::thread::id{};
    lock_.unlock();
}

void DatabaseWriter::finishWrite(WriterLock& lock) {
    std::set<std::string> written = writer_.takeTableAccess().written;
    lock.unlock();
    committed(written);
}

DatabaseWriter::Lease::~Lease() {
    if (owner != nullptr && pooled) {
        {
            std::lock_guard lock(owner->poolMutex_);
            owner->idleReaders_.push_back(std::move(pooled));
        }
        owner->readerReturned_.notify_one();
    }
}

DatabaseWriter::Lease DatabaseWriter::lease_() {
    Lease lease;
    lease.owner = this;
    if (inMemory_) {
        lease.serial = std::make_unique<WriterLock>(*this);
        lease.connection = &writer_;
        return lease;
    }
    std::unique_lock lock(poolMutex_);
    readerReturned_.wait(lock, [this] { return !idleReaders_.empty() || openReaders_ < kMaxReaders; });
    if (!idleReaders_.empty()) {
        lease.pooled = std::move(idleReaders_.back());
        idleReaders_.pop_back();
    } else {
        ++openReaders_;
        lock.unlock();
        try {
            lease.pooled = std::make_unique<Connection>(Connection::open(path_));
            lease.pooled->setBusyTimeout(kBusyTimeoutMs);
        } catch (...) {
            std::lock_guard again(poolMutex_);
            --openReaders_;
            readerReturned_.notify_one();
            throw;
        }
    }
    lease.connection = lease.pooled.get();
    return lease;
}

void DatabaseWriter::track(const std::shared_ptr<ObservationBase>& observation) {
    std::lock_guard lock(observationsMutex_);
    std::erase_if(observations_, [](const auto& weak) { return weak.expired(); });
    observations_.push_back(observation);
}

void DatabaseWriter::committed(const std::set<std::string>& written) {
    if (written.empty()) return;
    std::vector<std::shared_ptr<ObservationBase>> live;
    {
        std::lock_guard lock(observationsMutex_);
        for (auto& weak : observations_) {
            if (auto observation = weak.lock(); observation && !observation->isCancelled())
                live.push_back(observation);
        }
    }
    for (auto& observation : live)
        observation->committed(written);
}

void ObservationBase::schedule() {
    {
        std::lock_guard lock(mutex_);
        if (scheduled_ || cancelled_) return;
        scheduled_ = true;
    }
    auto self = shared_from_this();
    database_.postObservationWork([self] { self->run(); });
}

namespace {

bool intersects(const std::set<std::string>& a, const std::set<std::string>& b) {
    return std::any_of(a.begin(), a.end(), [&](const std::string& table) { return b.count(table) > 0; });
}

}  // namespace

void ObservationBase::committed(const std::set<std::string>& writtenTables) {
    {
        std::lock_guard lock(mutex_);
        if (running_) {
            writtenWhileRunning_.insert(writtenTables.begin(), writtenTables.end());
            return;
        }
        if (!intersects(writtenTables, tables_)) return;
    }
    schedule();
}

void ObservationBase::run() {
    {
        std::lock_guard lock(mutex_);
        scheduled_ = false;
        if (cancelled_) return;
        running_ = true;
        writtenWhileRunning_.clear();
    }
    std::set<std::string> tables;
    bool succeeded = false;
    try {
        tables = runAndDeliver();
        succeeded = true;
    } catch (...) {
        // A failing query delivers nothing and keeps the tables of its last good run, so the next
        // commit on those tries again.
    }
    bool again;
    {
        std::lock_guard lock(mutex_);
        if (succeeded) tables_ = std::move(tables);
        running_ = false;
        again = intersects(writtenWhileRunning_, tables_);
        writtenWhileRunning_.clear();
    }
    if (again) schedule();
}

}  // namespace zelvorin
