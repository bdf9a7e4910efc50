#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "intelligence/ExtractedInvoiceData.h"
#include "intelligence/FieldScore.h"
#include "intelligence/TotalCheck.h"

namespace zelvorin {

// Everything one reading of a document produced, accepted or not: what `read-receipt` shows.
struct ReceiptReading {
    static constexpr double acceptanceThreshold = 0.45;
    static constexpr double ocrWeight = 0.4;
    static constexpr double fieldWeight = 0.6;

    double ocrConfidence = 0;
    FieldScores scores;
    TotalCheck totalCheck;
    // (ocrWeight × OCR + fieldWeight × field score) × the trust the total deserves, within 0...1.
    double confidence = 0;
    std::string modelVersion;
    ExtractedInvoiceData result;

    bool accepted() const { return confidence >= acceptanceThreshold; }
};

// The weighted confidence of a reading, clamped to 0...1.
double combinedConfidence(double ocrConfidence, double fieldScore);

// {"confidence", "ocrConfidence", "scores": {name: value...}, "totalCheck": {...}, "accepted",
//  "result"}
nlohmann::ordered_json toJson(const ReceiptReading& reading);
// A Dutch, human-readable report of the reading, one field per line.
std::string describe(const ReceiptReading& reading);

}  // namespace zelvorin
