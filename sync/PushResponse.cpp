#include "sync/PushResponse.h"

#include "sync/WireReader.h"

namespace zelvorin {

using nlohmann::ordered_json;
using wire::ObjectReader;
using wire::WirePath;

nlohmann::ordered_json toJson(const PushAcceptedItem& item) {
    ordered_json json = ordered_json::object();
    json["entityType"] = rawValue(item.entityType);
    json["entityId"] = item.entityId;
    json["serverRevision"] = item.serverRevision;
    return json;
}

nlohmann::ordered_json toJson(const PushConflictItem& item) {
    ordered_json json = ordered_json::object();
    json["entityType"] = rawValue(item.entityType);
    json["entityId"] = item.entityId;
    json["serverRevision"] = item.serverRevision;
    if (item.message) json["message"] = *item.message;
    return json;
}

nlohmann::ordered_json toJson(const PushErrorItem& item) {
    ordered_json json = ordered_json::object();
    json["entityId"] = item.entityId;
    json["error"] = item.error;
    return json;
}

namespace {

template <class Item>
ordered_json arrayOf(const std::vector<Item>& items) {
    ordered_json array = ordered_json::array();
    for (const Item& item : items)
        array.push_back(toJson(item));
    return array;
}

PushAcceptedItem decodeAccepted(const ordered_json& json, const WirePath& path) {
    const ObjectReader reader(json, path);
    PushAcceptedItem item;
    item.entityType = reader.requiredEnum<SyncEntityType>("entityType", parseSyncEntityType);
    item.entityId = reader.requiredString("entityId");
    item.serverRevision = reader.requiredInteger("serverRevision");
    return item;
}

PushConflictItem decodeConflict(const ordered_json& json, const WirePath& path) {
    const ObjectReader reader(json, path);
    PushConflictItem item;
    item.entityType = reader.requiredEnum<SyncEntityType>("entityType", parseSyncEntityType);
    item.entityId = reader.requiredString("entityId");
    item.serverRevision = reader.requiredInteger("serverRevision");
    item.message = reader.optionalString("message");
    return item;
}

PushErrorItem decodeError(const ordered_json& json, const WirePath& path) {
    const ObjectReader reader(json, path);
    PushErrorItem item;
    item.entityId = reader.requiredString("entityId");
    item.error = reader.requiredString("error");
    return item;
}

}  // namespace

nlohmann::ordered_json toJson(const PushResponse& response) {
    ordered_json json = ordered_json::object();
    json["accepted"] = arrayOf(response.accepted);
    json["conflicts"] = arrayOf(response.conflicts);
    json["errors"] = arrayOf(response.errors);
    return json;
}

PushResponse decodePushResponse(const nlohmann::ordered_json& json) {
    const WirePath root;
    const ObjectReader reader(json, root);
    PushResponse response;
    response.accepted = reader.requiredArray<PushAcceptedItem>("accepted", decodeAccepted);
    response.conflicts = reader.requiredArray<PushConflictItem>("conflicts", decodeConflict);
    response.errors = reader.requiredArray<PushErrorItem>("errors", decodeError);
    return response;
}

PushResponse parsePushResponse(std::string_view text) {
    return decodePushResponse(wire::parseJsonText(text));
}

}  // namespace zelvorin
