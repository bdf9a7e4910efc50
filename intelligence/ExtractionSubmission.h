#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "intelligence/ExtractedInvoiceData.h"

namespace zelvorin {

enum class ExtractionSource { deviceFoundationModels, serverClaude };

// "device-fm" / "server-claude": the raw values the server stores.
std::string_view rawValue(ExtractionSource source);
std::optional<ExtractionSource> parseExtractionSource(std::string_view raw);

// A reading of one document that is confident enough to hand to the server.
struct ExtractionSubmission {
    ExtractionSource source = ExtractionSource::deviceFoundationModels;
    double confidence = 0;  // 0...1
    std::optional<std::string> modelVersion;
    ExtractedInvoiceData result;

    bool operator==(const ExtractionSubmission&) const = default;
};

nlohmann::ordered_json toJson(const ExtractionSubmission& submission);

}  // namespace zelvorin
