#pragma once

#include <cstdint>

namespace zelvorin {

// floor(value + 0.5): half up towards positive infinity, so 12.5 -> 13 and -12.5 -> -12.
// Every cent amount the program derives from a fraction goes through this one function.
// Throws AmountOverflowError for NaN or a result outside the int64 range.
std::int64_t roundHalfUp(double value);

}  // namespace zelvorin
