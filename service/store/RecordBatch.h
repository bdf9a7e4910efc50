#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "service/store/AuditLog.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// Record writes of one large action (a bank statement of thousands of lines) gathered and stored
// with multi-row statements instead of three or four statements per record.
//
// While a batch is open on a connection, writeRecord hands it every put without an idempotency
// key. Each change keeps what it gets one by one: its own change-log entry with the next sequence,
// its revision, its audit entry (or its place under the request's entry); only the rows reach the
// tables later, at flush(). Every read of the records (the records:: functions) and every other
// write first flushes what is pending, so nothing in the transaction can see the tables without
// the changes made before it. Use it through batchRecordWrites, on a write transaction.
class RecordBatch {
public:
    struct Known {
        std::int64_t revision = 0;
        bool deleted = false;
    };
    struct Pending {
        std::string organizationId;
        std::string entityType;
        std::string id;
        const char* operation = "create";
        std::int64_t revision = 0;
        bool deleted = false;
        std::int64_t sequence = 0;
        std::string changedAt;
        std::optional<std::string> deviceId;
        std::string payloadText;
        std::optional<AuditEntry> audit;
    };

    explicit RecordBatch(Connection& db);
    ~RecordBatch();  // what was not flushed is dropped: only an exception leaves it, and it fails the
                     // transaction
    RecordBatch(const RecordBatch&) = delete;
    RecordBatch& operator=(const RecordBatch&) = delete;

    // Writes every pending change: the change-log entries, each record's newest row, the audit entries.
    void flush();

    // The batch open on `db` on this thread, or nothing.
    static RecordBatch* openOn(Connection& db);
    // Flushes the batch open on `db`, if any: for readers of the records and for writes that do not go
    // through a batch.
    static void flushOpen(Connection& db);

    // For writeRecord: the revision of a record this batch has pending; nothing when it has none.
    std::optional<Known> pendingState(const std::string& entityType, const std::string& id) const;
    // For writeRecord: the sequence the next change gets.
    std::int64_t nextSequence();
    // For writeRecord: queues a change whose sequence came from nextSequence().
    void add(Pending change);

private:
    Connection& db_;
    RecordBatch* outer_ = nullptr;
    std::int64_t lastSequence_ = -1;  // -1: read it from the database at the next change
    std::vector<Pending> pending_;
    std::unordered_map<std::string, Known> known_;  // by entity type and id
};

// Runs `f` with a RecordBatch open on `db` and flushes it when `f` returns.
template <class F>
auto batchRecordWrites(Connection& db, F&& f) {
    RecordBatch batch(db);
    if constexpr (std::is_void_v<decltype(f())>) {
        f();
        batch.flush();
    } else {
        auto result = f();
        batch.flush();
        return result;
    }
}

}  // namespace zelvorin::service
