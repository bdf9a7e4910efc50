#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// A record as it stands, with the change-log sequence of its last change. `payload` is the whole
// record as devices receive it, with the bookkeeping members "revision" and "serverModifiedAt".
struct StoredRecord {
    std::string organizationId;
    std::string entityType;  // a SyncEntityType raw value
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

// Reading the records of an organisation, on a connection of ServiceDatabase::read or write. All
// writes go through writeRecord (RecordWriter.h).
//
// A record remembers the sequence of its latest change, so a pull is "records of this organisation
// whose last sequence is past the cursor, in sequence order": every record once, in its newest
// form, however often it changed; "organisation + last sequence seen" is a complete cursor.
namespace records {

std::optional<StoredRecord> find(Connection& db, const std::string& organizationId,
                                 const std::string& entityType, const std::string& id);
// The live records of one type whose payload member `key` holds the text `value`, in change order.
std::vector<StoredRecord> withMember(Connection& db, const std::string& organizationId,
                                     const std::string& entityType, const std::string& key,
                                     const std::string& value);
// The live records of one type that belong to the invoice `invoiceId` (payload member
// "invoiceId": its lines, its payments), in change order; an index finds them without reading
// the organisation's other records.
std::vector<StoredRecord> ofInvoice(Connection& db, const std::string& organizationId,
                                    const std::string& entityType, const std::string& invoiceId);
// In change order; all entity types when `entityType` is absent. Tombstones are included.
std::vector<StoredRecord> all(Connection& db, const std::string& organizationId,
                              const std::optional<std::string>& entityType);
// Up to `limit` records of the organisation whose last change is past `afterSequence`, in
// sequence order, of the given entity types only when `entityTypes` is not empty.
std::vector<PulledRecord> changedAfter(Connection& db, const std::string& organizationId,
                                       std::int64_t afterSequence, int limit,
                                       const std::vector<std::string>& entityTypes);
// The sequence of the newest change of any organisation; 0 before the first write.
std::int64_t lastSequence(Connection& db);

}  // namespace records
}  // namespace zelvorin::service
