#include "service/templates/TemplateRecords.h"

#include "service/http/ServiceError.h"
#include "service/store/RecordWriter.h"

namespace zelvorin::service::templaterecords {

StoredRecord require(Connection& db, const Caller& caller, const char* entityType, const std::string& id,
                     const char* missing) {
    std::optional<StoredRecord> record = records::find(db, caller.organizationId, entityType, id);
    if (!record || record->deleted) throw ServiceError(ErrorKind::notFound, missing);
    return *record;
}

std::vector<StoredRecord> live(Connection& db, const Caller& caller, const char* entityType) {
    std::vector<StoredRecord> found;
    for (StoredRecord& record : records::all(db, caller.organizationId, std::string(entityType)))
        if (!record.deleted) found.push_back(std::move(record));
    return found;
}

void remove(Connection& db, const Caller& caller, SyncEntityType type, const std::string& id, TimePoint now) {
    writeRecord(db, {caller.organizationId,
                     type,
                     id,
                     RecordOperation::remove,
                     {},
                     now,
                     Actor{ChangeSource::route, caller.userId, caller.deviceId},
                     std::nullopt});
}

nlohmann::ordered_json withoutBookkeeping(nlohmann::ordered_json payload) {
    payload.erase("revision");
    payload.erase("serverModifiedAt");
    return payload;
}

}  // namespace zelvorin::service::templaterecords
