#include "intelligence/ExtractionSubmission.h"

namespace zelvorin {

std::string_view rawValue(ExtractionSource source) {
    switch (source) {
        case ExtractionSource::deviceFoundationModels:
            return "device-fm";
        case ExtractionSource::serverClaude:
            return "server-claude";
    }
    return "device-fm";
}

std::optional<ExtractionSource> parseExtractionSource(std::string_view raw) {
    if (raw == "device-fm") return ExtractionSource::deviceFoundationModels;
    if (raw == "server-claude") return ExtractionSource::serverClaude;
    return std::nullopt;
}

nlohmann::ordered_json toJson(const ExtractionSubmission& submission) {
    nlohmann::ordered_json json;
    json["source"] = std::string(rawValue(submission.source));
    json["confidence"] = submission.confidence;
    if (submission.modelVersion) json["modelVersion"] = *submission.modelVersion;
    json["result"] = toJson(submission.result);
    return json;
}

}  // namespace zelvorin
