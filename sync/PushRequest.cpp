#include "sync/PushRequest.h"

#include "sync/WireReader.h"

namespace zelvorin {

using nlohmann::ordered_json;
using wire::ObjectReader;
using wire::WirePath;

nlohmann::ordered_json toJson(const PushChange& change) {
    ordered_json json = ordered_json::object();
    json["entityType"] = rawValue(change.entityType);
    json["entityId"] = change.entityId;
    json["operation"] = rawValue(change.operation);
    json["clientRevision"] = change.clientRevision;
    if (change.baseServerRevision) json["baseServerRevision"] = *change.baseServerRevision;
    if (change.changedFields) json["changedFields"] = *change.changedFields;
    json["payload"] = change.payload.toJson();
    json["clientTimestamp"] = change.clientTimestamp;
    json["idempotencyKey"] = change.idempotencyKey;
    return json;
}

nlohmann::ordered_json toJson(const PushRequest& request) {
    ordered_json json = ordered_json::object();
    json["deviceId"] = request.deviceId;
    if (request.baseCursor) json["baseCursor"] = *request.baseCursor;
    ordered_json& changes = json["changes"] = ordered_json::array();
    for (const PushChange& change : request.changes)
        changes.push_back(toJson(change));
    return json;
}

namespace {

PushChange decodeChange(const ordered_json& json, const WirePath& path) {
    const ObjectReader reader(json, path);
    PushChange change;
    change.entityType = reader.requiredEnum<SyncEntityType>("entityType", parseSyncEntityType);
    change.entityId = reader.requiredString("entityId");
    change.operation = reader.requiredEnum<SyncOperation>("operation", parseSyncOperation);
    change.clientRevision = reader.requiredInteger("clientRevision");
    change.baseServerRevision = reader.optionalInteger("baseServerRevision");
    change.changedFields = reader.optionalStrings("changedFields");
    change.payload = reader.requiredValue("payload");
    change.clientTimestamp = reader.requiredString("clientTimestamp");
    change.idempotencyKey = reader.requiredString("idempotencyKey");
    return change;
}

}  // namespace

PushChange decodePushChange(const nlohmann::ordered_json& json) {
    return decodeChange(json, WirePath{});
}

PushRequest decodePushRequest(const nlohmann::ordered_json& json) {
    const WirePath root;
    const ObjectReader reader(json, root);
    PushRequest request;
    request.deviceId = reader.requiredString("deviceId");
    request.baseCursor = reader.optionalString("baseCursor");
    request.changes = reader.requiredArray<PushChange>("changes", decodeChange);
    return request;
}

PushRequest parsePushRequest(std::string_view text) {
    return decodePushRequest(wire::parseJsonText(text));
}

}  // namespace zelvorin
