#include "sync/PullResponse.h"

#include "sync/WireReader.h"

namespace zelvorin {

using nlohmann::ordered_json;
using wire::ObjectReader;
using wire::WirePath;

nlohmann::ordered_json toJson(const PullChange& change) {
    ordered_json json = ordered_json::object();
    json["entityType"] = rawValue(change.entityType);
    json["entityId"] = change.entityId;
    json["operation"] = rawValue(change.operation);
    json["serverRevision"] = change.serverRevision;
    json["changedAt"] = change.changedAt;
    json["payload"] = change.payload.toJson();
    return json;
}

nlohmann::ordered_json toJson(const PullResponse& response) {
    ordered_json json = ordered_json::object();
    json["nextCursor"] = response.nextCursor;
    json["serverTime"] = response.serverTime;
    json["hasMore"] = response.hasMore;
    ordered_json& changes = json["changes"] = ordered_json::array();
    for (const PullChange& change : response.changes)
        changes.push_back(toJson(change));
    return json;
}

namespace {

PullChange decodeChange(const ordered_json& json, const WirePath& path) {
    const ObjectReader reader(json, path);
    PullChange change;
    change.entityType = reader.requiredEnum<SyncEntityType>("entityType", parseSyncEntityType);
    change.entityId = reader.requiredString("entityId");
    change.operation = reader.requiredEnum<SyncOperation>("operation", parseSyncOperation);
    change.serverRevision = reader.requiredInteger("serverRevision");
    change.changedAt = reader.requiredString("changedAt");
    change.payload = reader.requiredValue("payload");
    return change;
}

}  // namespace

PullChange decodePullChange(const nlohmann::ordered_json& json) {
    return decodeChange(json, WirePath{});
}

PullResponse decodePullResponse(const nlohmann::ordered_json& json) {
    const WirePath root;
    const ObjectReader reader(json, root);
    PullResponse response;
    response.nextCursor = reader.requiredString("nextCursor");
    response.serverTime = reader.requiredString("serverTime");
    response.hasMore = reader.requiredBool("hasMore");
    response.changes = reader.requiredArray<PullChange>("changes", decodeChange);
    return response;
}

PullResponse parsePullResponse(std::string_view text) {
    return decodePullResponse(wire::parseJsonText(text));
}

}  // namespace zelvorin
