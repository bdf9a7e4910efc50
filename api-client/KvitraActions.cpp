#include "api-client/KvitraActions.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::kvitra {

namespace fields = responsefields;

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

void correct(SyncAPIClient& client, const std::string& id, const ExtractedFieldsPatch& patch) {
    nlohmann::ordered_json body = nlohmann::ordered_json::object();
    if (patch.extractedSenderCompany) body["extractedSenderCompany"] = *patch.extractedSenderCompany;
    if (patch.senderEmail) body["senderEmail"] = *patch.senderEmail;
    if (patch.extractedAmount) body["extractedAmount"] = *patch.extractedAmount;
    if (patch.extractedInvoiceDate) body["extractedInvoiceDate"] = *patch.extractedInvoiceDate;
    client.action("PATCH", itemPath(id, ""), body, /*decode=*/false);
}

void categorize(SyncAPIClient& client, const std::string& id, const std::string& category,
                const std::optional<std::string>& invoiceType) {
    nlohmann::ordered_json body{{"category", category}};
    if (invoiceType) body["invoiceType"] = *invoiceType;
    client.action("POST", itemPath(id, "categorize"), body, /*decode=*/false);
}

void setInvoiceType(SyncAPIClient& client, const std::string& id, const std::string& invoiceType) {
    client.action("POST", itemPath(id, "invoice-type"), {{"invoiceType", invoiceType}}, /*decode=*/false);
}

std::string createReverseBilling(SyncAPIClient& client, const std::string& id) {
    return fields::text(fields::object(client.action("POST", itemPath(id, "reverse-billing"),
                                                     nlohmann::ordered_json::object())),
                        "invoiceId");
}

void confirmOrder(SyncAPIClient& client, const std::string& id, const std::string& action,
                  const std::optional<std::string>& preset, const std::optional<std::string>& linkedId) {
    const auto orNull = [](const std::optional<std::string>& value) {
        return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
    };
    client.action("POST", itemPath(id, "order-confirmation"),
                  {{"action", action}, {"preset", orNull(preset)}, {"linkedId", orNull(linkedId)}},
                  /*decode=*/false);
}

void archive(SyncAPIClient& client, const std::string& id) {
    client.action("POST", itemPath(id, "archive"), nlohmann::ordered_json::object(), /*decode=*/false);
}

void remove(SyncAPIClient& client, const std::string& id) {
    client.action("DELETE", itemPath(id, ""), nlohmann::ordered_json::object(), /*decode=*/false);
}

void removeRule(SyncAPIClient& client, const std::string& ruleId) {
    client.action("DELETE", "api/native/v1/kvitra/rules/" + percentEncodeQueryValue(ruleId),
                  nlohmann::ordered_json::object(), /*decode=*/false);
}

NativeKvitraSettings NativeKvitraSettings::fromJson(const nlohmann::json& json) {
    NativeKvitraSettings settings;
    settings.folderZakelijk = fields::text(json, "folderZakelijk");
    settings.folderPrive = fields::text(json, "folderPrive");
    settings.folderGemengd = fields::text(json, "folderGemengd");
    for (const nlohmann::json& rule : fields::array(json, "rules"))
        settings.rules.push_back({fields::text(rule, "id"), fields::text(rule, "senderEmailPattern"),
                                  fields::optionalText(rule, "subjectPattern"),
                                  fields::text(rule, "suggestedCategory"), fields::flag(rule, "isSkip"),
                                  fields::integer(rule, "matchCount")});
    return settings;
}

NativeKvitraSettings settings(SyncAPIClient& client) {
    return NativeKvitraSettings::fromJson(client.fetch("api/native/v1/kvitra/settings"));
}

void patchSettings(SyncAPIClient& client, const KvitraFoldersPatch& patch) {
    nlohmann::ordered_json body = nlohmann::ordered_json::object();
    if (patch.zakelijk) body["kvitraFolderZakelijk"] = *patch.zakelijk;
    if (patch.prive) body["kvitraFolderPrive"] = *patch.prive;
    if (patch.gemengd) body["kvitraFolderGemengd"] = *patch.gemengd;
    client.action("PATCH", "api/native/v1/kvitra/settings", body, /*decode=*/false);
}

CloudSyncStatus CloudSyncStatus::fromJson(const nlohmann::json& json) {
    CloudSyncStatus status;
    const auto count = [&](const char* key) -> std::int64_t {
        const auto found = json.find(key);
        if (!json.is_object() || found == json.end() || !found->is_number_integer())
            throw APIError(APIError::InvalidResponse{});
        return found->get<std::int64_t>();
    };
    status.pending = count("pending");
    status.done = count("done");
    status.failed = count("failed");
    status.permanent = count("permanent");
    return status;
}

CloudSyncStatus cloudSyncStatus(SyncAPIClient& client) {
    return CloudSyncStatus::fromJson(client.fetch("api/native/v1/kvitra/sync"));
}

CloudSyncStatus startCloudSync(SyncAPIClient& client) {
    return CloudSyncStatus::fromJson(
        client.action("POST", "api/native/v1/kvitra/sync", nlohmann::ordered_json::object()));
}

}  // namespace zelvorin::kvitra
