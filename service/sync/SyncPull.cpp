#include "service/sync/SyncPull.h"

#include <nlohmann/json.hpp>

#include "domain/Timestamps.h"
#include "service/http/ServiceError.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "service/sync/PullCursor.h"

namespace zelvorin::service {

namespace {

void appendString(std::string& out, const std::string& text) {
    out += nlohmann::json(text).dump();
}

}  // namespace

std::string pullPage(const ServiceDatabase& database, const PullQuery& query, TimePoint now) {
    PullCursor position{query.organizationId, 0};
    if (query.cursor) {
        const std::optional<PullCursor> decoded = PullCursor::decode(*query.cursor);
        if (!decoded) throw ServiceError(ErrorKind::badRequest, "De cursor is ongeldig.");
        if (decoded->organizationId != query.organizationId)
            throw ServiceError(ErrorKind::forbidden, "Deze cursor hoort bij een andere organisatie.");
        position = *decoded;
    }
    // One more than asked tells whether another page follows.
    std::vector<PulledRecord> records = database.read([&](Connection& db) {
        return records::changedAfter(db, query.organizationId, position.sequence, query.limit + 1,
                                     query.entityTypes);
    });
    const bool hasMore = records.size() > static_cast<std::size_t>(query.limit);
    if (hasMore) records.pop_back();
    if (!records.empty()) position.sequence = records.back().sequence;

    std::string body = "{\"nextCursor\":";
    appendString(body, position.encode());
    body += ",\"serverTime\":";
    appendString(body, formatTimestampMillis(now));
    body += hasMore ? ",\"hasMore\":true,\"changes\":[" : ",\"hasMore\":false,\"changes\":[";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PulledRecord& record = records[i];
        if (i > 0) body += ',';
        body += "{\"entityType\":";
        appendString(body, record.entityType);
        body += ",\"entityId\":";
        appendString(body, record.id);
        body += ",\"operation\":";
        appendString(body, record.operation);
        body += ",\"serverRevision\":" + std::to_string(record.revision);
        body += ",\"changedAt\":";
        appendString(body, record.changedAt);
        body += ",\"payload\":";
        body += record.payloadText;
        body += '}';
    }
    body += "]}";
    return body;
}

}  // namespace zelvorin::service
