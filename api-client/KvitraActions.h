#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"

// The inbox's calls besides the upload (FileTransfers). Refusals (403, 404, 409, 422) are
// APIError conflicts with the service's words or "De actie kon niet worden uitgevoerd.".
namespace zelvorin::kvitra {

struct ExtractionSubmissionResponse {
    bool accepted = false;         // the service kept the submitted reading
    std::string source;            // the reading the item keeps ("device-fm", "server-claude")
    std::optional<bool> fallback;  // true: the service reads the document itself instead

    static ExtractionSubmissionResponse fromJson(const nlohmann::json& json);
};

// POST api/native/v1/kvitra/<id>/extraction with an ExtractionSubmissionDTO: source, confidence,
// modelVersion (left out when absent) and result, exactly as the device's reading serialises.
ExtractionSubmissionResponse submitExtraction(SyncAPIClient& client, const std::string& id,
                                              const nlohmann::ordered_json& submission);

// POST api/native/v1/kvitra/<id>/reextract: whether the service set about reading it again.
bool reextract(SyncAPIClient& client, const std::string& id);

// PATCH api/native/v1/kvitra/<id>: only the fields given are sent.
struct ExtractedFieldsPatch {
    std::optional<std::string> extractedSenderCompany;
    std::optional<std::string> senderEmail;
    std::optional<std::int64_t> extractedAmount;  // cents
    std::optional<std::string> extractedInvoiceDate;
};
void correct(SyncAPIClient& client, const std::string& id, const ExtractedFieldsPatch& patch);
void categorize(SyncAPIClient& client, const std::string& id, const std::string& category,
                const std::optional<std::string>& invoiceType = std::nullopt);
void setInvoiceType(SyncAPIClient& client, const std::string& id, const std::string& invoiceType);
// POST api/native/v1/kvitra/<id>/reverse-billing: the id of the draft invoice the service made
// from the document (self-billing), which arrives by pull.
std::string createReverseBilling(SyncAPIClient& client, const std::string& id);
// POST api/native/v1/kvitra/<id>/order-confirmation {action, preset, linkedId}: "link" with the
// linked item's id, "remind" with a preset ("1w", "2w", "1m"), "dismiss"; absent ones are sent null.
void confirmOrder(SyncAPIClient& client, const std::string& id, const std::string& action,
                  const std::optional<std::string>& preset, const std::optional<std::string>& linkedId);
void archive(SyncAPIClient& client, const std::string& id);
void remove(SyncAPIClient& client, const std::string& id);
void removeRule(SyncAPIClient& client, const std::string& ruleId);

// GET api/native/v1/kvitra/settings: where documents are filed per category, and the rules.
struct NativeKvitraRule {
    std::string id;
    std::string senderEmailPattern;
    std::optional<std::string> subjectPattern;
    std::string suggestedCategory;
    bool isSkip = false;
    std::int64_t matchCount = 0;
};
struct NativeKvitraSettings {
    std::string folderZakelijk, folderPrive, folderGemengd;
    std::vector<NativeKvitraRule> rules;
    static NativeKvitraSettings fromJson(const nlohmann::json& json);
};
NativeKvitraSettings settings(SyncAPIClient& client);
// PATCH api/native/v1/kvitra/settings with kvitraFolderZakelijk, kvitraFolderPrive and
// kvitraFolderGemengd, each only when given.
struct KvitraFoldersPatch {
    std::optional<std::string> zakelijk, prive, gemengd;
};
void patchSettings(SyncAPIClient& client, const KvitraFoldersPatch& patch);

// GET (or POST, to copy now) api/native/v1/kvitra/sync.
struct CloudSyncStatus {
    std::int64_t pending = 0, done = 0, failed = 0, permanent = 0;
    static CloudSyncStatus fromJson(const nlohmann::json& json);
};
CloudSyncStatus cloudSyncStatus(SyncAPIClient& client);
CloudSyncStatus startCloudSync(SyncAPIClient& client);

}  // namespace zelvorin::kvitra
