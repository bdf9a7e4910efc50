#pragma once

#include <optional>
#include <string>

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

}  // namespace zelvorin::kvitra
