#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"

namespace zelvorin::service {

struct Organization {
    std::string id;
    std::string name;
    std::string createdAt;
};

struct UserAccount {
    std::string id;
    std::string email;
    std::string name;
    std::string createdAt;
};

struct Membership {
    std::string organizationId;
    std::string userId;
    std::string role;  // "owner", "admin" or "member"
    std::string createdAt;
};

// One write of a record: its full payload as the clients receive it. The store owns the
// bookkeeping keys: "revision" and "serverModifiedAt" are set from the write, whatever they held.
struct RecordWrite {
    std::string organizationId;
    std::string entityType;  // a SyncEntityType raw value
    std::string id;
    nlohmann::ordered_json payload;
    TimePoint changedAt;
    std::optional<std::string> deviceId;        // the device that pushed it; none for the service's own
    std::optional<std::string> idempotencyKey;  // a pushed change's key; unique per organisation
};

// A record as it stands, with the change-log sequence of its last change.
struct StoredRecord {
    std::string organizationId;
    std::string entityType;
    std::string id;
    std::int64_t revision = 0;
    bool deleted = false;
    std::int64_t sequence = 0;
    std::string changedAt;
    nlohmann::ordered_json payload;
};

// A record as a pull sends it: the operation of its last change and its payload as stored text.
struct PulledRecord {
    std::string entityType;
    std::string id;
    std::string operation;
    std::int64_t revision = 0;
    std::int64_t sequence = 0;
    std::string changedAt;
    std::string payloadText;
};

// The answer once given to a pushed change, kept under its idempotency key so that a change pushed
// again gets the same answer without being applied twice. `list` is "accepted", "conflicts" or
// "errors"; `item` is the list's item as it was sent.
struct PushReceipt {
    std::string list;
    nlohmann::ordered_json item;
};

// The service's own database, `service.sqlite` in the data directory (WAL).
//
// Every organisation has a generic record store keyed by (organisation, entity type, id) and an
// append-only change log. Each write bumps the record's revision (1 for a new record) and appends
// one log entry whose sequence comes from one AUTOINCREMENT counter: sequences only grow, are never
// reused, and survive restarts, so "organisation + last sequence seen" is a complete pull cursor.
// A record remembers the sequence of its latest change; a pull is "records of this organisation
// whose last sequence is past the cursor, in sequence order", which returns every record once in
// its newest form however often it changed.
//
// One connection behind one mutex: the service's load is one app and its tests.
// A file a device uploaded, under a key of its organisation.
struct StoredFile {
    std::string key;
    std::string fileName;
    std::string contentType;
    std::string bytes;
};

class Storage {
public:
    static constexpr const char* kFileName = "service.sqlite";

    // Creates the directory when needed, opens (or creates) the database and brings its schema up
    // to date. Throws ServiceError when the directory or the database cannot be used.
    explicit Storage(const std::filesystem::path& dataDirectory);
    ~Storage();
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    const std::filesystem::path& databasePath() const { return databasePath_; }

    // Runs `work` as one transaction: everything it writes is committed together or not at all.
    void transaction(const std::function<void()>& work);

    // True when no organisation exists yet (a fresh data directory).
    bool isEmpty() const;

    void addOrganization(const Organization& organization);
    void addUser(const UserAccount& user);
    void addMembership(const Membership& membership);
    std::vector<Organization> organizations() const;
    std::optional<Organization> organization(const std::string& id) const;
    std::vector<UserAccount> users() const;
    std::vector<Membership> memberships() const;

    // Creates or updates the record and logs the change ("create" for a new id, else "update").
    StoredRecord putRecord(const RecordWrite& write);
    // Rewrites a record's payload with figures the service derives itself (an invoice's totals from
    // its lines): a new change for pulls, but the same revision, so a device's edit based on that
    // revision is not turned into a conflict by the service's own bookkeeping.
    StoredRecord restateRecord(const RecordWrite& write);
    // Tombstones the record: it keeps its last payload plus "deletedAt" and is logged as "delete".
    // Throws ServiceError 404 when there is no such record.
    StoredRecord deleteRecord(const std::string& organizationId, const std::string& entityType,
                              const std::string& id, TimePoint changedAt);

    void putFile(const std::string& organizationId, const StoredFile& file, TimePoint createdAt);
    std::optional<StoredFile> file(const std::string& organizationId, const std::string& key) const;

    std::optional<StoredRecord> record(const std::string& organizationId, const std::string& entityType,
                                       const std::string& id) const;
    // The live records of one type whose payload member `key` holds the text `value`.
    std::vector<StoredRecord> recordsWith(const std::string& organizationId, const std::string& entityType,
                                          const std::string& key, const std::string& value) const;
    // In change order; all entity types when `entityType` is absent. Tombstones are included.
    std::vector<StoredRecord> records(const std::string& organizationId,
                                      const std::optional<std::string>& entityType) const;
    // Up to `limit` records of the organisation whose last change is past `afterSequence`, in
    // sequence order, of the given entity types only when `entityTypes` is not empty.
    std::vector<PulledRecord> changesAfter(const std::string& organizationId, std::int64_t afterSequence,
                                           int limit, const std::vector<std::string>& entityTypes) const;

    std::optional<PushReceipt> pushReceipt(const std::string& organizationId,
                                           const std::string& idempotencyKey) const;
    void savePushReceipt(const std::string& organizationId, const std::string& idempotencyKey,
                         const PushReceipt& receipt);

    // The sequence of the newest change of any organisation; 0 before the first write.
    std::int64_t lastSequence() const;

private:
    struct Database;

    StoredRecord writeRecord(const RecordWrite& write, const std::string& operation, bool deleted,
                             bool keepRevision = false);

    std::filesystem::path databasePath_;
    mutable std::recursive_mutex mutex_;  // transaction() calls the writers while holding it
    std::unique_ptr<Database> database_;
};

}  // namespace zelvorin::service
