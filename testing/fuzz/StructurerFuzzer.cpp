// Recognised text is whatever the camera saw: the rule-based structurer answers every text
// without throwing, and its reading is one the upload can carry: finite amounts that survive the
// JSON form unchanged.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "intelligence/RuleBasedInvoiceStructurer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    static const zelvorin::RuleBasedInvoiceStructurer structurer;
    const zelvorin::ExtractedInvoiceData reading = structurer.structure(text);
    for (const auto& line : reading.lines) {
        if (!std::isfinite(line.amount)) std::abort();
    }
    zelvorin::ExtractedInvoiceData back =
        zelvorin::extractedInvoiceDataFromJson(nlohmann::json::parse(toJson(reading).dump()));
    back._totalSource = reading._totalSource;  // not part of the JSON form
    if (!(back == reading)) std::abort();
    return 0;
}
