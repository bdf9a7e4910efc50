#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace zelvorin::service {

// A reading of an inbox document, from a device's submission or the service's own reader.
struct InboxReading {
    std::string source;  // "device-fm", "server-claude"
    double confidence = 0;
    std::optional<std::string> modelVersion;
    nlohmann::ordered_json result;  // isInvoice, sender…, totalAmountCents?, currency, lines, vatBreakdown
};

// Below this a device's reading is not kept: the service reads the document itself.
inline constexpr double kAcceptedDeviceConfidence = 0.45;

// A device's submission body, checked member by member; ServiceError(unprocessable) in Dutch
// for anything that does not fit (a total that is not a whole number of cents, a confidence
// outside 0…1, lines that are no list).
InboxReading parseSubmission(const nlohmann::ordered_json& body);

// The item's payload with the reading's fields in it ("extractedAmount", "extractedLines", …,
// "extractionSource", "extractionConfidence") and an earlier reading's error gone.
nlohmann::ordered_json withReading(nlohmann::ordered_json payload, const InboxReading& reading);

}  // namespace zelvorin::service
