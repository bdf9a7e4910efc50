// Typed amounts and quantities: parsing never fails badly, and whatever parses survives a round
// trip through the Dutch formatter unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "domain/Money.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view typed(reinterpret_cast<const char*>(data), size);
    if (auto cents = zelvorin::parseAmountCents(typed)) {
        auto again = zelvorin::parseAmountCents(zelvorin::formatEuro(*cents));
        if (!again || *again != *cents) std::abort();
    }
    if (auto hundredths = zelvorin::parseHundredths(typed)) {
        auto again = zelvorin::parseHundredths(zelvorin::formatHundredths(*hundredths));
        if (!again || *again != *hundredths) std::abort();
    }
    return 0;
}
