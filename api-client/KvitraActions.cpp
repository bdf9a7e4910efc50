#include "api-client/KvitraActions.h"

namespace zelvorin::kvitra {

namespace {

std::string itemPath(const std::string& id, const char* verb) {
    std::string path = "api/native/v1/kvitra/" + percentEncodeQueryValue(id);
    if (*verb != '\0') path += std::string("/") + verb;
    return path;
}

}  // namespace

ExtractionSubmissionResponse ExtractionSubmissionResponse::fromJson(const nlohmann::json& json) {
    if (!json.is_object() || !json.contains("accepted") || !json["accepted"].is_boolean() ||
        !json.contains("source") || !json["source"].is_string())
        throw APIError(APIError::InvalidResponse{});
    ExtractionSubmissionResponse response;
    response.accepted = json["accepted"].get<bool>();
    response.source = json["source"].get<std::string>();
    if (const auto fallback = json.find("fallback"); fallback != json.end() && fallback->is_boolean())
        response.fallback = fallback->get<bool>();
    return response;
}

ExtractionSubmissionResponse submitExtraction(SyncAPIClient& client, const std::string& id,
                                              const nlohmann::ordered_json& submission) {
    return ExtractionSubmissionResponse::fromJson(
        client.action("POST", itemPath(id, "extraction"), submission));
}

bool reextract(SyncAPIClient& client, const std::string& id) {
    const nlohmann::json answer =
        client.action("POST", itemPath(id, "reextract"), nlohmann::ordered_json::object());
    const auto dispatched = answer.find("dispatched");
    if (!answer.is_object() || dispatched == answer.end() || !dispatched->is_boolean())
        throw APIError(APIError::InvalidResponse{});
    return dispatched->get<bool>();
}

}  // namespace zelvorin::kvitra
